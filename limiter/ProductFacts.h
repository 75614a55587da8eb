// Who and what this plug-in is, in one place: the descriptor, the defaults file's folder and name and
// the editor's menu read these; a test holds the resource script's version record to them.
#pragma once

#include <cstdint>

namespace ProductFacts {

constexpr const char* name = "Tarn";
constexpr const char* maker = "Quellbrook";
constexpr const char* webAddress = "https://www.quellbrook.com/";
constexpr const char* webAddressShown = "www.quellbrook.com";  // as the editor's menu names it
constexpr std::int32_t uniqueId = ('Q' << 24) | ('v' << 16) | ('7' << 8) | 'm';
constexpr std::int32_t version = 1;             // the descriptor's version
constexpr const char* versionText = "1.0.0.0";  // the resource script's file and product versions
// The plug-in's identity in an LV2 host (a web address the maker owns, as LV2 asks).
constexpr const char* lv2Uri = "https://www.quellbrook.com/plugins/tarn";
// The LV2 bundle's folder, its description file and its binary (without the platform's suffix).
constexpr const char* lv2Bundle = "Tarn.lv2";
constexpr const char* lv2Description = "tarn.ttl";
constexpr const char* lv2Binary = "tarn";
// The editor as the plug-in's LV2 user interface, in a binary of its own in the same bundle.
constexpr const char* lv2UiUri = "https://www.quellbrook.com/plugins/tarn#ui";
constexpr const char* lv2UiBinary = "tarn_ui";

// The plug-in's identity in a CLAP host (reverse domain, as CLAP asks) and the file hosts load.
constexpr const char* clapId = "com.quellbrook.tarn";
constexpr const char* clapFile = "Tarn.clap";

}  // namespace ProductFacts

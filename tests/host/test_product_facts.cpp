// The product's facts agree wherever they appear: the descriptor a host reads, the resource script's
// version record and the defaults file's place.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <map>
#include <regex>
#include <string>

#include "limiter/ProductFacts.h"
#include "platform/Platform.h"
#include "plugcore/Plug.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using TestSupport::limiterEntry;
using VstHost::HostedEffect;

TEST(ProductFacts, TheDescriptorStatesThem)
{
    auto host = HostedEffect::create(limiterEntry);
    ASSERT_TRUE(host);
    EXPECT_EQ(host->effect()->uniqueID, ProductFacts::uniqueId);
    EXPECT_EQ(host->effect()->version, ProductFacts::version);
    EXPECT_EQ(host->effectText(effGetEffectName), ProductFacts::name);
    EXPECT_EQ(host->effectText(effGetVendorString), ProductFacts::maker);
    EXPECT_EQ(host->effectText(effGetProductString), std::string(ProductFacts::maker) + " " + ProductFacts::name);
}

TEST(ProductFacts, TheDefaultsFileLivesUnderTheMakerByTheName)
{
#if !defined(_WIN32)
    const std::string home = VstHost::programFolder() + "facts-test-home";
    Platform::createFolder(home);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
#endif
    std::string appData;
    ASSERT_TRUE(Platform::appDataFolder(appData));
    const char separator = Platform::pathSeparator();
    const std::string file = appData + separator + ProductFacts::maker + separator + ProductFacts::name + ".defaults";
    std::remove(file.c_str());
    {
        auto host = HostedEffect::create(limiterEntry);
        static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(host->effect()->object))->saveDefaults();
    }
    EXPECT_TRUE(std::ifstream(file).good()) << file;
    std::remove(file.c_str());
}

#if defined(TARN_RESOURCE_SCRIPT)
// The script is the same text for every build, so reading it natively is enough.
TEST(ProductFacts, TheResourceScriptStatesThem)
{
    std::ifstream script(TARN_RESOURCE_SCRIPT);
    ASSERT_TRUE(script.good()) << TARN_RESOURCE_SCRIPT;
    std::map<std::string, std::string> values;
    std::string fileVersion, productVersion, line;
    const std::regex value(R"re(^\s*VALUE\s+"(\w+)",\s*"([^"]*)")re");
    const std::regex numbers(R"re(^\s*(FILEVERSION|PRODUCTVERSION)\s+TARN_VERSION_NUMBERS\b)re");
    std::smatch m;
    while (std::getline(script, line)) {
        if (std::regex_search(line, m, value))
            values[m[1]] = m[2];
        else if (std::regex_search(line, m, numbers))
            (m[1] == "FILEVERSION" ? fileVersion : productVersion) = "from the build";
    }
    EXPECT_EQ(values["CompanyName"], ProductFacts::maker);
    EXPECT_EQ(values["ProductName"], ProductFacts::name);
    EXPECT_EQ(values["InternalName"], ProductFacts::name);
    EXPECT_EQ(values["OriginalFilename"], std::string(ProductFacts::name) + ".dll");
    EXPECT_EQ(values["FileDescription"].rfind(std::string(ProductFacts::name) + " ", 0), 0u)
        << values["FileDescription"];
    // The version record takes the version from the build, which reads it from the facts.
    const std::regex versionValue(R"re(^\s*VALUE\s+"(\w+Version)",\s*TARN_VERSION_TEXT\s*$)re");
    script.clear();
    script.seekg(0);
    int versionValues = 0;
    while (std::getline(script, line))
        versionValues += std::regex_search(line, m, versionValue);
    EXPECT_EQ(versionValues, 2);
    EXPECT_EQ(fileVersion, "from the build");
    EXPECT_EQ(productVersion, "from the build");

    std::ifstream header(TARN_VERSION_HEADER);
    std::stringstream text;
    text << header.rdbuf();
    std::string commas = ProductFacts::versionText;
    std::replace(commas.begin(), commas.end(), '.', ',');
    EXPECT_NE(text.str().find("#define TARN_VERSION_NUMBERS " + commas + "\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("#define TARN_VERSION_TEXT \"" + std::string(ProductFacts::versionText) + "\"\n"),
              std::string::npos)
        << text.str();
}
#endif

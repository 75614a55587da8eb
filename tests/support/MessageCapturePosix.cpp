#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/MessageCapture.h"

// On POSIX the plug-in writes its boxes to standard error as "caption: text".
namespace TestSupport {

MessageCapture::MessageCapture(Answer) { testing::internal::CaptureStderr(); }

MessageCapture::~MessageCapture() { testing::internal::GetCapturedStderr(); }

std::vector<ShownMessage> MessageCapture::take()
{
    const std::string out = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    std::vector<ShownMessage> shown;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const auto cut = line.find(": ");
        if (cut == std::string::npos) {
            if (!shown.empty())
                shown.back().text += "\n" + line;  // the text itself may hold line breaks
            continue;
        }
        shown.push_back({line.substr(0, cut), line.substr(cut + 2)});
    }
    return shown;
}

}  // namespace TestSupport

// Captures the message boxes the plug-in shows on this thread and answers them (OK by default), so a test can
// check caption and text without anyone clicking.
#pragma once

#include <string>
#include <vector>

namespace TestSupport {

struct ShownMessage {
    std::string caption;
    std::string text;
};

class MessageCapture {
public:
    enum class Answer { ok, cancel };
    // Boxes are answered with OK unless asked otherwise (a question box, say).
    explicit MessageCapture(Answer answer = Answer::ok);
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    // The boxes shown since construction or the last call.
    std::vector<ShownMessage> take();
};

}  // namespace TestSupport

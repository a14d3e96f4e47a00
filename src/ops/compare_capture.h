#pragma once

// Collects the output of every rcsdiff that Compare runs on this thread while
// the capture lives, so that the caller can show the differences in a view of
// its own; the command results still get the echoed lines as always. With
// unified set, Compare asks for unified output ("-u") unless the compare
// settings ask for a context diff, which changes the output form.

#include <string>

namespace kestro {

class CompareCapture {
public:
    explicit CompareCapture(bool unified);
    ~CompareCapture();
    CompareCapture(const CompareCapture&) = delete;
    CompareCapture& operator=(const CompareCapture&) = delete;

    // The capture of the calling thread, or null.
    static CompareCapture* Current();

    bool unified;
    std::string text;

private:
    CompareCapture* outer_;
};

} // namespace kestro

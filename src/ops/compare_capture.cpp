#include "ops/compare_capture.h"

namespace kestro {

namespace {
thread_local CompareCapture* current = nullptr;
} // namespace

CompareCapture::CompareCapture(bool unifiedOutput) : unified(unifiedOutput), outer_(current)
{
    current = this;
}

CompareCapture::~CompareCapture()
{
    current = outer_;
}

CompareCapture* CompareCapture::Current()
{
    return current;
}

} // namespace kestro

#pragma once

namespace ctiq {

// Runs `work` and returns true, or returns false when it called abort(). The DICOM toolkit as
// Debian builds it keeps its assertions, and a malformed file can trip one: the viewer must
// refuse that file, not end. On systems without POSIX signals `work` simply runs.
// `work` must keep no object with a destructor on its own stack: an abort skips them.
bool runSurvivingAbort(void (*work)(void*), void* context);

template <class F>
bool runSurvivingAbort(F& work) {
    return runSurvivingAbort([](void* f) { (*static_cast<F*>(f))(); }, &work);
}

}  // namespace ctiq

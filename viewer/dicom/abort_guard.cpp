#include "viewer/dicom/abort_guard.h"

#if defined(__unix__) || defined(__APPLE__)
#include <csetjmp>
#include <csignal>

namespace ctiq {
namespace {

sigjmp_buf* currentJump = nullptr;

extern "C" void jumpBackOnAbort(int) {
    if (currentJump) siglongjmp(*currentJump, 1);
}

}  // namespace

bool runSurvivingAbort(void (*work)(void*), void* context) {
    struct sigaction handler {};
    struct sigaction previous {};
    handler.sa_handler = jumpBackOnAbort;
    sigemptyset(&handler.sa_mask);
    sigaction(SIGABRT, &handler, &previous);
    sigjmp_buf jump;
    sigjmp_buf* outer = currentJump;
    currentJump = &jump;
    bool finished = false;
    if (sigsetjmp(jump, 1) == 0) {
        work(context);
        finished = true;
    }
    currentJump = outer;
    sigaction(SIGABRT, &previous, nullptr);
    return finished;
}

}  // namespace ctiq
#else
namespace ctiq {
bool runSurvivingAbort(void (*work)(void*), void* context) {
    work(context);
    return true;
}
}  // namespace ctiq
#endif

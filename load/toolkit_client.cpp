#include "load/toolkit_client.h"

#include <memory>

#include "common/app_error.h"
#include "common/companion_program.h"
#include "load/helper_process.h"

namespace ctiq {
namespace {

// Above the helper's own CPU limit per file, so that a decoder that spins is ended there first.
constexpr int kAnswerTimeoutMs = 60000;

dicom::ToolkitAnswer refusal(std::string message) {
    dicom::ToolkitAnswer a;
    a.outcome = dicom::ToolkitOutcome::Refused;
    a.reason = std::move(message);
    return a;
}

}  // namespace

std::string toolkitHelperPath() {
    return companionProgram("ctiq-dicom-helper", "CTIQ_DICOM_HELPER", CTIQ_HELPER_BUILD_PATH);
}

dicom::ToolkitAnswer readWithToolkitHelper(const ImageBytes& bytes, bool listRows,
                                           std::uint32_t frame) {
    thread_local std::unique_ptr<HelperProcess> helper;
    if (!helper) {
        std::string error;
        const std::string path = toolkitHelperPath();
        helper = HelperProcess::start(path, error);
        if (!helper) return refusal(messages::toolkitNotStarted(path));
    }
    std::string answer;
    const HelperProcess::Failure failure =
        helper->exchange(dicom::encodeRequest(bytes, frame, listRows), answer, kAnswerTimeoutMs);
    switch (failure) {
        case HelperProcess::Failure::None:
            break;
        case HelperProcess::Failure::Sandboxed:
            helper.reset();
            return refusal(messages::toolkitSandboxed());
        case HelperProcess::Failure::TimedOut:
            helper.reset();
            return refusal(messages::toolkitTimedOut());
        case HelperProcess::Failure::Died:
        case HelperProcess::Failure::Garbled:
            helper.reset();
            return refusal(messages::toolkitFailed());
    }
    try {
        dicom::ToolkitAnswer a = dicom::decodeAnswer(answer);
        if (a.outcome == dicom::ToolkitOutcome::Refused) {
            a.reason = messages::toolkitCannotShow(a.reason);
            // A refusal may leave the toolkit's state behind (and what it leaked): start afresh.
            helper.reset();
        }
        const std::uint64_t expected = std::uint64_t(a.columns > 0 ? a.columns : 0) *
                                       std::uint64_t(a.rows > 0 ? a.rows : 0) * 2;
        if (a.outcome == dicom::ToolkitOutcome::Decoded &&
            (a.columns <= 0 || a.rows <= 0 || a.samples.size() != expected)) {
            helper.reset();
            return refusal(messages::toolkitFailed());
        }
        return a;
    } catch (const std::exception&) {
        helper.reset();
        return refusal(messages::toolkitFailed());
    }
}

}  // namespace ctiq

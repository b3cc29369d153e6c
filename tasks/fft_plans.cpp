#include "tasks/fft_plans.h"

#include <fftw3.h>

#include <map>
#include <mutex>
#include <new>

namespace ctiq::tasks {
namespace {

// FFTW's planner is not thread-safe; executing a finished plan is. So plans are made under one
// lock and kept for the program's life (they are few: one per ROI size).
class PlanCache {
  public:
    ~PlanCache() {
        for (auto& [n, plan] : plans_) fftw_destroy_plan(plan);
    }
    fftw_plan realToComplex(std::int32_t n, double* in, fftw_complex* out) {
        const std::lock_guard<std::mutex> lock(mutex_);
        auto it = plans_.find(n);
        if (it == plans_.end())
            it = plans_.emplace(n, fftw_plan_dft_r2c_2d(n, n, in, out, FFTW_ESTIMATE)).first;
        return it->second;
    }

  private:
    std::mutex mutex_;
    std::map<std::int32_t, fftw_plan> plans_;
};

PlanCache& plans() {
    static PlanCache cache;
    return cache;
}

}  // namespace

RealFft2d::RealFft2d(std::int32_t n) : n_(n) {
    const auto nn = static_cast<std::size_t>(n);
    // fftw_malloc gives every buffer FFTW's alignment, so the shared plan may run on any of them.
    input_ = fftw_alloc_real(nn * nn);
    output_ = reinterpret_cast<std::complex<double>*>(fftw_alloc_complex(nn * (nn / 2 + 1)));
    if (!input_ || !output_) {
        fftw_free(input_);
        fftw_free(output_);
        throw std::bad_alloc();
    }
    // FFTW_ESTIMATE leaves the arrays untouched while planning.
    plan_ = plans().realToComplex(n, input_, reinterpret_cast<fftw_complex*>(output_));
}

RealFft2d::~RealFft2d() {
    fftw_free(input_);
    fftw_free(output_);
}

void RealFft2d::execute() {
    fftw_execute_dft_r2c(static_cast<fftw_plan>(plan_), input_,
                         reinterpret_cast<fftw_complex*>(output_));
}

}  // namespace ctiq::tasks

#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace ctiq::tasks {

// The real-to-complex transform of an n × n array, with its own buffers. The FFTW plan behind it
// is made once per size for the whole program (FFTW_ESTIMATE: no timing runs, so the same plan
// and the same bits on every run) and shared; objects of one size may transform on several
// threads at once.
class RealFft2d {
  public:
    explicit RealFft2d(std::int32_t n);
    ~RealFft2d();
    RealFft2d(const RealFft2d&) = delete;
    RealFft2d& operator=(const RealFft2d&) = delete;

    std::int32_t size() const { return n_; }
    // n × n values, row-major.
    double* input() { return input_; }
    // n rows of n / 2 + 1 values: the half plane kx = 0 … n / 2 of the full transform; the other
    // half is its mirror, X(ky, kx) = conj X(-ky, -kx).
    const std::complex<double>* output() const { return output_; }
    void execute();

  private:
    std::int32_t n_;
    void* plan_;  // fftw_plan, owned by the program-wide cache
    double* input_;
    std::complex<double>* output_;
};

}  // namespace ctiq::tasks

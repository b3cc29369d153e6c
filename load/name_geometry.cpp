#include "load/name_geometry.h"

#include <cmath>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/rounding.h"

namespace ctiq {
namespace {

struct Split {
    std::string part;
    std::string rest;
};

Split splitAtBlank(const std::string& t) {
    const std::size_t blank = t.find(' ');
    if (blank == std::string::npos) return {t, {}};
    return {t.substr(0, blank), t.substr(blank + 1)};
}

}  // namespace

std::string baseName(std::string_view path) {
    const std::size_t sep = path.find_last_of("\\/");
    std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
    return std::string(name.substr(0, name.find('.')));
}

NameGeometry splitNameGeometry(std::string_view path) {
    NameGeometry g;
    const Split s1 = splitAtBlank(baseName(path));
    const Split s2 = splitAtBlank(s1.rest);
    const Split s3 = splitAtBlank(s2.rest);
    g.label = s1.part;
    g.columns = s2.part;
    g.rows = s3.part;
    g.suggestion = s3.rest;
    g.spacing = s3.rest;
    const std::size_t p = g.spacing.find('p');
    if (p != std::string::npos) g.spacing[p] = '.';
    return g;
}

namespace {

bool isWholeNumber(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string::npos &&
           text.find_first_not_of('0') != std::string::npos;
}

bool isNumberOrEmpty(const std::string& text) {
    if (text.empty()) return true;
    try {
        StrToFloat(text);
        return true;
    } catch (const AppError&) {
        return false;
    }
}

}  // namespace

bool carriesGeometry(const NameGeometry& g) {
    return isWholeNumber(g.columns) && isWholeNumber(g.rows) && isNumberOrEmpty(g.spacing);
}

std::string sizeSuggestion(std::int64_t fileSize, int sampleBytes) {
    const long double x = std::sqrt(static_cast<long double>(fileSize) / sampleBytes);
    const std::int64_t r = roundHalfEven(x);
    std::int64_t n;
    if (x - static_cast<long double>(r) == 0) {
        n = r;
    } else {
        n = 64;
        while (n <= r) n *= 2;
    }
    return IntToStr(n) + " " + IntToStr(n);
}

MatrixSize parseSizeAnswer(std::string_view answer) {
    if (answer.empty()) throw AppError(messages::notAnInteger(answer));
    const std::size_t blank = answer.find(' ');
    if (blank == std::string_view::npos) {
        const std::int32_t n = StrToInt(answer);
        return {n, n};
    }
    return {StrToInt(answer.substr(0, blank)), StrToInt(answer.substr(blank + 1))};
}

}  // namespace ctiq

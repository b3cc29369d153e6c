#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctiq::toolkit {

// True when every element of the file declares a length that fits in the bytes that remain
// (sequences and items are entered, not skipped; a UN value of undefined length is read as an
// implicit VR little-endian sequence, as DICOM has it). The toolkit allocates a value's
// declared length before it reads it: a small file must not make it allocate gigabytes, nor may
// it guess at a VR it does not know. `syntax` receives the meta group's transfer syntax (empty
// without one). A deflated data set cannot be walked here and passes. Sequences nested deeper, or
// more elements, than any real file has do not fit either: the toolkit's walk of such a file takes
// seconds to minutes. `why`, when given, receives the reason.
bool declaredLengthsFit(const std::vector<std::uint8_t>& bytes, std::string& syntax,
                        std::string* why = nullptr);

}  // namespace ctiq::toolkit

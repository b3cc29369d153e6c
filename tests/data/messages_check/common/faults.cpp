// What tools/quality/check_messages.py must refuse: a concatenated message, a pattern without
// its translation, a translation that drops a placeholder, a finished English text handed on.
void faults(const std::string& path, int n) {
    throw AppError("The file " + path + " cannot be read.");
    throw AppError("Nobody translated %1.", {path});
    throw AppError("The ROI holds %1 of %2 samples.", {std::to_string(n), std::to_string(n)});
    return refused("its header is broken");
}

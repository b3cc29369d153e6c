#include "app/start_options.h"

#include "common/language.h"

namespace ctiq {

StartOptions parseStartOptions(const QStringList& arguments) {
    StartOptions options;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            options.help = true;
        } else if (!optionsEnded && argument == "--version") {
            options.version = true;
        } else if (!optionsEnded && argument.startsWith('-') && argument != "-") {
            options.error = QString::fromStdString(
                inUserLanguage("unknown option '%1'", {argument.toStdString()}));
        } else if (options.file) {
            options.error = QString::fromStdString(
                inUserLanguage("one file at a time: '%1' and '%2'",
                               {options.file->toStdString(), argument.toStdString()}));
        } else {
            options.file = argument;
        }
    }
    return options;
}

QString startUsage() {
    return "Usage: ctiq [FILE]\n"
           "Opens the viewer of ctiq, the CT image quality tool, and loads FILE if given: as "
           "DICOM when it looks like DICOM (\"DICM\" at byte 128 or a data set at byte 0), "
           "otherwise as 16-bit raw samples (the size from the name, e.g. 'noise 512 512 "
           "0p5.raw', or asked for).\n"
           "  -h, --help     this text\n"
           "  --version      the version\n"
           "ctiq-cli gives the same measurements without a display.\n";
}

}  // namespace ctiq

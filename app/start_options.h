#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ctiq {

// What `ctiq [--help | --version | FILE]` asks for. Qt's own options (-platform …) are taken
// out by QApplication before these are read.
struct StartOptions {
    bool help = false;
    bool version = false;
    std::optional<QString> file;
    QString error;  // a usage error, for stderr
};

// Reads the arguments after the program's name. "--" ends the options.
StartOptions parseStartOptions(const QStringList& arguments);

// The text of `ctiq --help`.
QString startUsage();

}  // namespace ctiq

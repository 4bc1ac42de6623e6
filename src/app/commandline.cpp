#include "app/commandline.h"

#include "app/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

int runCommandLine(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Halyard"_s);
    QCoreApplication::setApplicationVersion(
        QString::fromLatin1(kVersion) + u" (build "_s + QString::fromLatin1(kBuildNumber) + u')');

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Slack alerts you have to acknowledge."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    return 0;
}

} // namespace halyard

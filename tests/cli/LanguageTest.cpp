#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "support/TestFolder.h"

namespace fennix {
namespace {

QString RunCli(const QStringList& args, const char* fennixLang, const char* lcAll,
               const char* lang) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"FENNIX_LANG", "LC_ALL", "LC_MESSAGES", "LANG"}) env.remove(name);
    if (*fennixLang) env.insert("FENNIX_LANG", fennixLang);
    if (*lcAll) env.insert("LC_ALL", lcAll);
    if (*lang) env.insert("LANG", lang);
    QProcess cli;
    cli.setProcessEnvironment(env);
    cli.start(QCoreApplication::applicationDirPath() + "/fennix-morph", args);
    EXPECT_TRUE(cli.waitForFinished(60000));
    return QString::fromUtf8(cli.readAllStandardError());
}

// The messages fennix-morph passes on from the program (here the reason a
// project's additions cannot be read) follow the language its environment
// chooses; its own texts are English either way.
TEST(CliLanguage, MessagesFollowTheEnvironment) {
    test::TestFolder folder;
    const QString project = QString::fromStdString(folder.File("p.mph"));
    RunCli({"new", QString::fromStdString(test::SamplePath("sun.bmp")),
            QString::fromStdString(test::SamplePath("moon.bmp")), project},
           "", "", "");
    test::WriteFile(project.toStdString(),
                    test::ReadFile(project.toStdString()) + "[fennix-additions]\nversion=99\n");
    const QString japanese = "版 99 の追加情報はこのプログラムでは読めません";
    const QString english = "additions of version 99 cannot be read by this program";
    struct Case {
        const char *fennixLang, *lcAll, *lang;
        const QString& expected;
    } cases[] = {
        {"en", "", "C", english},
        {"", "", "en_US.UTF-8", english},
        {"", "de_DE.UTF-8", "ja_JP.UTF-8", english},
        {"ja", "", "en_US.UTF-8", japanese},
        {"", "", "C", japanese},
        {"", "", "", japanese},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("FENNIX_LANG=") + c.fennixLang + " LC_ALL=" + c.lcAll +
                     " LANG=" + c.lang);
        const QString err = RunCli({"render", project, QString::fromStdString(folder.File("out"))},
                                   c.fennixLang, c.lcAll, c.lang);
        EXPECT_TRUE(err.startsWith("fennix-morph: cannot open the project " + project + ": "))
            << err.toStdString();
        EXPECT_TRUE(err.contains(c.expected)) << err.toStdString();
    }
}

}  // namespace
}  // namespace fennix

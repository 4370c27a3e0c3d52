#include "CommandText.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#undef signals
#include <gio/gdesktopappinfo.h>

// Command lines written into the file managers' files, read back by their
// real readers: a POSIX shell, GLib's desktop entries (field codes included)
// and key files. A name a hostile user chose must come back as it was.
class TestCommandText : public QObject
{
    Q_OBJECT

private slots:
    void readersGiveTheArgumentsBack_data();
    void readersGiveTheArgumentsBack();
};

void TestCommandText::readersGiveTheArgumentsBack_data()
{
    QTest::addColumn<QString>("argument");
    for (const char *name : {"plain", "two words", "it's", "say \"hi\"", "50%off", "%F and %%", "$(touch pwned)",
                             "`id`", "-rf", " lead", "back\\slash", "\\s\\n", "tab\there", "line\nbreak", "ünï 😀"})
        QTest::newRow(name) << QString::fromUtf8(name);
}

void TestCommandText::readersGiveTheArgumentsBack()
{
    QFETCH(QString, argument);
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    // The program prints what it was given into out, whole or not at all.
    const QString script = QStringLiteral("printf '%s' \"$1\" > \"$0.part\" && mv \"$0.part\" \"$0\"");

    // Scripts and Thunar: a shell command line.
    QProcess shell;
    shell.start("sh", {"-c", CommandText::forShell("sh", {"-c", script, out, argument}, false)});
    QVERIFY(shell.waitForFinished());
    QFile printed(out);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(printed.readAll()), argument);
    printed.close();
    QFile::remove(out);

    // The autostart entry and Dolphin: a desktop entry's Exec, field codes
    // expanded by GLib as the file managers do.
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=t\nExec="
                             + CommandText::forDesktopExec("sh", {"-c", script, out, argument}).toUtf8() + "\n";
    GError *error = nullptr;
    GKeyFile *keys = g_key_file_new();
    QVERIFY(g_key_file_load_from_data(keys, entry.constData(), gsize(entry.size()), G_KEY_FILE_NONE, &error));
    GDesktopAppInfo *info = g_desktop_app_info_new_from_keyfile(keys);
    QVERIFY(info);
    QVERIFY(g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error));
    QTRY_VERIFY(QFile::exists(out));
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(printed.readAll()), argument);
    g_object_unref(info);
    g_key_file_free(keys);

    // Nemo's actions: a shell command line as a key-file value.
    const QByteArray action = "[Nemo Action]\nExec=" + CommandText::keyFileValue(argument).toUtf8() + "\n";
    keys = g_key_file_new();
    QVERIFY(g_key_file_load_from_data(keys, action.constData(), gsize(action.size()), G_KEY_FILE_NONE, &error));
    char *value = g_key_file_get_string(keys, "Nemo Action", "Exec", &error);
    QVERIFY(value);
    QCOMPARE(QString::fromUtf8(value), argument);
    g_free(value);
    g_key_file_free(keys);
}

QTEST_GUILESS_MAIN(TestCommandText)
#include "tst_CommandText.moc"

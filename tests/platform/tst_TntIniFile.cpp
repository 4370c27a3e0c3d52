#include "RenameBothWays.h"
#include "TestFolder.h"

#include "platform/AppError.h"
#include "platform/ini/FolderLock.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniSectionStream.h"
#include "platform/ini/IniText.h"
#include "platform/ini/TntIniFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <unistd.h>

// The INI rules as the Windows profile functions apply them (other programs
// write these files with them), without their length limits, with atomic
// rewrites.
class TestTntIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readString_data();
    void readString();
    void readSection_data();
    void readSection();
    void readSectionHasNoLengthLimit();
    void readInteger_data();
    void readInteger();
    void writeString_data();
    void writeString();
    void writeKeepsEncoding_data();
    void writeKeepsEncoding();
    void deleteKey_data();
    void deleteKey();
    void deleteNeverCreatesOrTouchesFile();
    void deletionsAreOneRewriteAgainstTheFileOnDisk();
    void deletionsApplyBeforeTheNextRead();
    void failedWritesRaiseAndKeepTheOldFile();
    void failedDeletionIsSilent();
    void manyValuesInOnePass();
    void exactSpellingNeverTakesAnotherKey();
    void renamedKeysKeepTheirPlace();
    void unreadableFileIsNeverRewritten();
    void lockHeldElsewhereEndsTheWriteInTime();
    void seesChangesByOtherWriters();
    void hostileBytesReadWithoutCrash_data();
    void hostileBytesReadWithoutCrash();
    void longValuesAndLinesComeBackWhole();

private:
    TestFolder m_folder;
};

// Test tables keep one row per line.
// clang-format off
void TestTntIniFile::readString_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString def = QStringLiteral("<default>");
    QTest::newRow("crlf") << QByteArray("[S]\r\nK=V\r\n") << "S" << "K" << "V";
    QTest::newRow("lf") << QByteArray("[S]\nA=1\nK=V\n") << "S" << "K" << "V";
    QTest::newRow("cr alone") << QByteArray("[S]\rA=1\rK=V\r") << "S" << "K" << "V";
    QTest::newRow("last line without break") << QByteArray("[S]\r\nK=V") << "S" << "K" << "V";
    QTest::newRow("blanks before header") << QByteArray(" \t[S]\nK=V\n") << "S" << "K" << "V";
    QTest::newRow("text after ] ignored") << QByteArray("[S] K=X\nK=V\n") << "S" << "K" << "V";
    QTest::newRow("missing ] tolerated") << QByteArray("[S\nK=V\n") << "S" << "K" << "V";
    QTest::newRow("blanks inside brackets trimmed") << QByteArray("[ S\t]\nK=V\n") << "S" << "K" << "V";
    QTest::newRow("[ inside name is part of it") << QByteArray("[a[b]\nK=V\n") << "a[b" << "K" << "V";
    QTest::newRow("empty section name") << QByteArray("[]\nK=V\n") << "" << "K" << "V";
    QTest::newRow("lines before first header unreadable") << QByteArray("K=V\n[S]\n") << "" << "K" << def;
    QTest::newRow("comment never found") << QByteArray("[S]\n;K=V\n") << "S" << ";K" << def;
    QTest::newRow("indented comment") << QByteArray("[S]\n  ;K=V\n") << "S" << ";K" << def;
    QTest::newRow("hash is ordinary text") << QByteArray("[S]\n#K=V\n") << "S" << "#K" << "V";
    QTest::newRow("semicolon inside value") << QByteArray("[S]\nK=a;b\n") << "S" << "K" << "a;b";
    QTest::newRow("line without = is no key") << QByteArray("[S]\nK\n") << "S" << "K" << def;
    QTest::newRow("empty key name") << QByteArray("[S]\n=V\n") << "S" << "" << "V";
    QTest::newRow("value after first =") << QByteArray("[S]\nK=a=b\n") << "S" << "K" << "a=b";
    QTest::newRow("blanks trimmed around key and value")
        << QByteArray("[S]\n\t K \v= \tV V\v \n") << "S" << "K" << "V V";
    QTest::newRow("empty value") << QByteArray("[S]\nK=\n") << "S" << "K" << "";
    QTest::newRow("double quotes") << QByteArray("[S]\nK=  \"  V  \"  \n") << "S" << "K" << "  V  ";
    QTest::newRow("one pair of single quotes") << QByteArray("[S]\nK=''V''\n") << "S" << "K" << "'V'";
    QTest::newRow("mismatched quotes stay") << QByteArray("[S]\nK=\"V'\n") << "S" << "K" << "\"V'";
    QTest::newRow("lone quote stays") << QByteArray("[S]\nK=\"\n") << "S" << "K" << "\"";
    QTest::newRow("several spellings: the exact one") << QByteArray("[S]\n/d/Ex=8\n/d/ex=9\n") << "S" << "/d/ex" << "9";
    QTest::newRow("several spellings: first when none exact") << QByteArray("[S]\n/d/Ex=8\n/d/ex=9\n") << "S" << "/D/EX" << "8";
    QTest::newRow("one spelling: any case") << QByteArray("[S]\n/d/Ex=8\n") << "S" << "/D/eX" << "8";
    QTest::newRow("stray byte leaves utf-8 lines") << QByteArray("[S]\nA=\xC3\xA9\nB=\xFF\n") << "S" << "A" << "é";
    QTest::newRow("stray byte line in code page") << QByteArray("[S]\nA=\xC3\xA9\nB=\xE9\n") << "S" << "B" << "é";
    QTest::newRow("mark is never text") << QByteArray("\xEF\xBB\xBF[S]\nK=\xE9\n") << "S" << "K" << "é";
    QTest::newRow("two quotes give empty") << QByteArray("[S]\nK=\"\"\n") << "S" << "K" << "";
    QTest::newRow("key names never unquoted") << QByteArray("[S]\n\"K\"=V\n") << "S" << "\"K\"" << "V";
    QTest::newRow("section case-insensitive") << QByteArray("[Files]\nK=V\n") << "files" << "K" << "V";
    QTest::newRow("key case-insensitive") << QByteArray("[S]\nKey=V\n") << "S" << "kEY" << "V";
    QTest::newRow("non-ascii case-insensitive")
        << QString("[ÄÖ]\nСЛОВО=V\n").toUtf8() << "äö" << "слово" << "V";
    QTest::newRow("caller spaces trimmed") << QByteArray("[S]\nK=V\n") << "  S " << " K  " << "V";
    QTest::newRow("caller tabs not trimmed") << QByteArray("[S]\nK=V\n") << "\tS" << "K" << def;
    QTest::newRow("second occurrence of section not searched")
        << QByteArray("[S]\nA=1\n[T]\n[S]\nK=V\n") << "S" << "K" << def;
    QTest::newRow("first of duplicate keys") << QByteArray("[S]\nK=1\nK=2\n") << "S" << "K" << "1";
    QTest::newRow("missing section") << QByteArray("[S]\nK=V\n") << "T" << "K" << def;
    QTest::newRow("empty file") << QByteArray() << "S" << "K" << def;
    QTest::newRow("utf-16le with mark")
        << QByteArray("\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\x16\x04\r\0\n\0", 22) << "S" << "K" << QString(QChar(0x416));
    QTest::newRow("utf-16be with mark")
        << QByteArray("\xFE\xFF\0[\0S\0]\0\n\0K\0=\x04\x16", 16) << "S" << "K" << QString(QChar(0x416));
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF[S]\nK=\xE2\x82\xAC\n") << "S" << "K"
                                     << QString(QChar(0x20AC));
    QTest::newRow("utf-8 without mark") << QByteArray("[S]\nK=\xE2\x82\xAC\n") << "S" << "K"
                                        << QString(QChar(0x20AC));
    QTest::newRow("invalid utf-8 reads as 8-bit") << QByteArray("[S]\nK=caf\xE9\n") << "S" << "K"
                                                  << QString::fromLatin1("caf\xE9");
    QTest::newRow("nul bytes are text") << QByteArray("[S]\nK=a\0b\n", 10) << "S" << "K"
                                        << QString::fromLatin1("a\0b", 3);
    QTest::newRow("non-bmp key") << QString("[S]\n🎵 path=7\n").toUtf8() << "S" << "🎵 path" << "7";
}
// clang-format on

void TestTntIniFile::readString()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TTntIniFile ini(m_folder.write("read.ini", file));
    QCOMPARE(ini.ReadString(section, key, "<default>"), expected);
}

// Test tables keep one row per line.
// clang-format off
void TestTntIniFile::readSection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("file order") << QByteArray("[S]\nB=1\nA=2\nC=3\n") << "S" << QStringList{"B", "A", "C"};
    QTest::newRow("duplicates listed twice") << QByteArray("[S]\nK=1\nk=2\n") << "S" << QStringList{"K", "k"};
    QTest::newRow("comments and plain lines skipped")
        << QByteArray("[S]\n;C=1\nplain\nK=2\n\n") << "S" << QStringList{"K"};
    QTest::newRow("only first occurrence") << QByteArray("[S]\nA=1\n[S]\nB=2\n") << "S" << QStringList{"A"};
    QTest::newRow("empty name listed") << QByteArray("[S]\n=1\n") << "S" << QStringList{""};
    QTest::newRow("missing section") << QByteArray("[S]\nA=1\n") << "T" << QStringList{};
    QTest::newRow("case-insensitive section") << QByteArray("[Files]\nA=1\n") << "FILES" << QStringList{"A"};
}
// clang-format on

void TestTntIniFile::readSection()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QStringList, expected);
    TTntIniFile ini(m_folder.write("section.ini", file));
    QStringList list{"left over"};
    ini.ReadSection(section, list);
    QCOMPARE(list, expected);
}

void TestTntIniFile::readSectionHasNoLengthLimit()
{
    // The old platform cut the listing at 16 384 characters, hiding records
    // from the library and the clean-up.
    QByteArray text = "[Files]\r\n";
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        const QString key = QStringLiteral("C:\\Some folder\\a rather long file name %1.txt").arg(i);
        expected.append(key);
        text += key.toUtf8() + "=1\r\n";
    }
    TTntIniFile ini(m_folder.write("many.ini", text));
    QStringList list;
    ini.ReadSection("Files", list);
    QCOMPARE(list.size(), 3000);
    QCOMPARE(list, expected);
    QCOMPARE(ini.ReadString("Files", expected.last(), "0"), "1");
}

// Test tables keep one row per line.
// clang-format off
void TestTntIniFile::readInteger_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    const int def = -77;
    QTest::newRow("missing") << QString() << def;
    QTest::newRow("empty") << "" << def;
    QTest::newRow("decimal") << "640" << 640;
    QTest::newRow("negative") << "-12" << -12;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("blanks trimmed by the file") << "  42 " << 42;
    QTest::newRow("int max") << "2147483647" << 2147483647;
    QTest::newRow("int min") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("overflow") << "2147483648" << def;
    QTest::newRow("long overflow") << "99999999999999999999" << def;
    QTest::newRow("dollar hex") << "$FF" << 255;
    QTest::newRow("0x hex") << "0x10" << 16;
    QTest::newRow("0X hex lower digits") << "0Xab" << 171;
    QTest::newRow("eight F is -1") << "$FFFFFFFF" << -1;
    QTest::newRow("high bit pattern") << "0x80000000" << int(-2147483647 - 1);
    QTest::newRow("nine hex digits") << "$0FFFFFFFF" << def;
    QTest::newRow("signed hex") << "-$10" << -16;
    QTest::newRow("bare dollar") << "$" << def;
    QTest::newRow("bare 0x") << "0x" << def;
    QTest::newRow("trailing text") << "12a" << def;
    QTest::newRow("fraction") << "1.5" << def;
    QTest::newRow("inner blank") << "1 2" << def;
    QTest::newRow("sign alone") << "-" << def;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\xD9\xA1\xD9\xA2") << def;
}
// clang-format on

void TestTntIniFile::readInteger()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    QByteArray file = "[position]\r\n";
    if (!value.isNull())
        file += "width=" + value.toUtf8() + "\r\n";
    TTntIniFile ini(m_folder.write("int.ini", file));
    QCOMPARE(ini.ReadInteger("position", "width", -77), expected);
}

// Test tables keep one row per line.
// clang-format off
void TestTntIniFile::writeString_data()
{
    QTest::addColumn<QByteArray>("before"); // "<none>" for a missing file
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray("<none>") << "S" << "K" << "V" << QByteArray("[S]\r\nK=V\r\n");
    QTest::newRow("empty file") << QByteArray() << "S" << "K" << "V" << QByteArray("[S]\r\nK=V\r\n");
    QTest::newRow("existing key keeps place and spelling")
        << QByteArray("[Sec]\r\nA=1\r\nKey = old\r\nB=2\r\n") << "SEC" << "key" << "new"
        << QByteArray("[Sec]\r\nA=1\r\nKey=new\r\nB=2\r\n");
    QTest::newRow("new key after last key, before trailing comment")
        << QByteArray("[S]\r\nA=1\r\n; about T\r\n[T]\r\n") << "S" << "B" << "2"
        << QByteArray("[S]\r\nA=1\r\nB=2\r\n; about T\r\n[T]\r\n");
    QTest::newRow("new key in section without keys")
        << QByteArray("[S]\r\n\r\n[T]\r\n") << "S" << "K" << "V" << QByteArray("[S]\r\nK=V\r\n\r\n[T]\r\n");
    QTest::newRow("new key after last line without break")
        << QByteArray("[S]\r\nA=1") << "S" << "K" << "V" << QByteArray("[S]\r\nA=1\r\nK=V\r\n");
    QTest::newRow("new section at end, break added")
        << QByteArray("[S]\r\nA=1") << "T" << "K" << "V" << QByteArray("[S]\r\nA=1\r\n[T]\r\nK=V\r\n");
    QTest::newRow("file's own line breaks") << QByteArray("[S]\nA=1\n") << "T" << "K" << "V"
                                            << QByteArray("[S]\nA=1\n[T]\nK=V\n");
    QTest::newRow("writes to first duplicate section")
        << QByteArray("[S]\nA=1\n[S]\nB=2\n") << "S" << "B" << "3" << QByteArray("[S]\nA=1\nB=3\n[S]\nB=2\n");
    QTest::newRow("writes to first duplicate key")
        << QByteArray("[S]\nK=1\nK=2\n") << "S" << "K" << "3" << QByteArray("[S]\nK=3\nK=2\n");
    QTest::newRow("value written as given")
        << QByteArray("[S]\n") << "S" << "K" << "  padded  " << QByteArray("[S]\nK=  padded  \n");
    QTest::newRow("caller spaces trimmed") << QByteArray("[S]\n") << " S " << " K " << "V"
                                           << QByteArray("[S]\nK=V\n");
    QTest::newRow("untouched lines stay byte for byte")
        << QByteArray("junk before\r\n[S]  trailing\r\n;c=1\r\n  A =  1 \r\nplain\r\n\r\n[T]\r\nX=\xff\r\n")
        << "s" << "a" << "2"
        << QByteArray("junk before\r\n[S]  trailing\r\n;c=1\r\nA=2\r\nplain\r\n\r\n[T]\r\nX=\xff\r\n");
    QTest::newRow("changed last line gets a break")
        << QByteArray("[S]\r\nK=1") << "S" << "K" << "2" << QByteArray("[S]\r\nK=2\r\n");
    QTest::newRow("several spellings: exact one written")
        << QByteArray("[S]\nAb=1\naB=2\n") << "S" << "aB" << "3" << QByteArray("[S]\nAb=1\naB=3\n");
    QTest::newRow("mixed line breaks kept")
        << QByteArray("[S]\nA=1\r\nB=2\r") << "S" << "A" << "9" << QByteArray("[S]\nA=9\r\nB=2\r");
}
// clang-format on

void TestTntIniFile::writeString()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QFile::remove(m_folder.path("write.ini"));
    if (before != "<none>")
        m_folder.write("write.ini", before);
    TTntIniFile ini(m_folder.path("write.ini"));
    ini.WriteString(section, key, value);
    QCOMPARE(m_folder.read("write.ini"), after);
    // Written as given, read back trimmed like every value.
    QCOMPARE(ini.ReadString(section, key, "<default>"), value.trimmed());
}

// Test tables keep one row per line.
// clang-format off
void TestTntIniFile::writeKeepsEncoding_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("utf-16le keeps mark")
        << QByteArray("\xFF\xFE[\0S\0]\0\r\0\n\0", 12) << "Ж"
        << QByteArray("\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\x16\x04\r\0\n\0", 22);
    QTest::newRow("utf-16be keeps mark")
        << QByteArray("\xFE\xFF\0[\0S\0]\0\n", 10) << "Ж"
        << QByteArray("\xFE\xFF\0[\0S\0]\0\n\0K\0=\x04\x16\0\n", 18);
    QTest::newRow("utf-8 mark kept") << QByteArray("\xEF\xBB\xBF[S]\n") << "€"
                                     << QByteArray("\xEF\xBB\xBF[S]\nK=\xE2\x82\xAC\n");
    QTest::newRow("8-bit stays 8-bit") << QByteArray("[S]\nA=\xE9\n") << QString::fromLatin1("\xE8")
                                       << QByteArray("[S]\nA=\xE9\nK=\xE8\n");
    // Storing "?" would lose the path; the file becomes UTF-8 instead.
    QTest::newRow("8-bit becomes utf-8 for other scripts")
        << QByteArray("[S]\nA=\xE9\n") << "日本" << QByteArray("[S]\nA=\xC3\xA9\nK=\xE6\x97\xA5\xE6\x9C\xAC\n");
    QTest::newRow("mark then 8-bit line") << QByteArray("\xEF\xBB\xBF[S]\nA=\xE9\n") << "€"
                                          << QByteArray("\xEF\xBB\xBF[S]\nA=\xE9\nK=\xE2\x82\xAC\n");
    QTest::newRow("stray byte: lines keep their bytes")
        << QByteArray("[S]\nA=\xC3\xA9\nB=\xE9\nC=\xC3\xA9\r\nD=\xE9") << "é"
        << QByteArray("[S]\nA=\xC3\xA9\nB=\xE9\nC=\xC3\xA9\r\nD=\xE9\nK=\xC3\xA9\n");
    QTest::newRow("odd utf-16 tail byte kept")
        << QByteArray("\xFF\xFE[\0S\0]\0\n\0\x07", 11) << "v"
        << QByteArray("\xFF\xFE[\0S\0]\0\n\0K\0=\0v\0\n\0\x07", 19);
    QTest::newRow("lone surrogate kept") << QByteArray("\xFF\xFE[\0S\0]\0\n\0A\0=\0\x00\xD8\n\0", 18) << "v"
                                         << QByteArray("\xFF\xFE[\0S\0]\0\n\0A\0=\0\x00\xD8\n\0K\0=\0v\0\n\0", 26);
}
// clang-format on

void TestTntIniFile::writeKeepsEncoding()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    TTntIniFile ini(m_folder.write("enc.ini", before));
    ini.WriteString("S", "K", value);
    QCOMPARE(m_folder.read("enc.ini"), after);
}

// Test tables keep one row per line.
// clang-format off
void TestTntIniFile::deleteKey_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("one key") << QByteArray("[S]\r\nA=1\r\nB=2\r\n") << QStringList{"a"}
                             << QByteArray("[S]\r\nB=2\r\n");
    QTest::newRow("duplicates in every occurrence go")
        << QByteArray("[S]\nK=1\nX=0\nK=2\n[T]\nK=3\n[s]\nK=4\n") << QStringList{"k"}
        << QByteArray("[S]\nX=0\n[T]\nK=3\n[s]\n");
    QTest::newRow("header stays when section empties") << QByteArray("[S]\nK=1\n[T]\n") << QStringList{"K"}
                                                       << QByteArray("[S]\n[T]\n");
    QTest::newRow("comments and plain lines stay")
        << QByteArray("[S]\n;K=1\nK\nK=2\n") << QStringList{"K"} << QByteArray("[S]\n;K=1\nK\n");
    QTest::newRow("last line without break") << QByteArray("[S]\nA=1\nK=2") << QStringList{"K"}
                                             << QByteArray("[S]\nA=1\n");
    QTest::newRow("many keys, one missing")
        << QByteArray("[S]\nA=1\nB=2\nC=3\nD=4\n") << QStringList{"D", "B", "nope"} << QByteArray("[S]\nA=1\nC=3\n");
    QTest::newRow("several spellings: only the exact one")
        << QByteArray("[S]\nK=1\nk=2\nK=3\n") << QStringList{"k"} << QByteArray("[S]\nK=1\nK=3\n");
    QTest::newRow("several spellings: the one read")
        << QByteArray("[S]\nAb=1\naB=2\n") << QStringList{"AB"} << QByteArray("[S]\naB=2\n");
    QTest::newRow("several spellings: both asked")
        << QByteArray("[S]\nAb=1\naB=2\nC=3\n") << QStringList{"aB", "Ab"} << QByteArray("[S]\nC=3\n");
    QTest::newRow("same key twice") << QByteArray("[S]\nA=1\nB=2\n") << QStringList{"A", "A"}
                                    << QByteArray("[S]\nB=2\n");
}
// clang-format on

void TestTntIniFile::deleteKey()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, keys);
    QFETCH(QByteArray, after);
    {
        TTntIniFile ini(m_folder.write("delete.ini", before));
        for (const QString &key : keys)
            ini.DeleteKey("S", key);
    }
    QCOMPARE(m_folder.read("delete.ini"), after);
}

void TestTntIniFile::deleteNeverCreatesOrTouchesFile()
{
    const QString missing = m_folder.path("absent.ini");
    {
        TTntIniFile ini(missing);
        ini.DeleteKey("Files", "C:\\x");
        QVERIFY(ini.UpdateFile());
    }
    QVERIFY(!QFile::exists(missing));

    // Nothing to delete: the file is not rewritten at all.
    const QString path = m_folder.write("kept.ini", "[Files]\nA=1\n");
    const FileStamp before = FileStamp::of(path);
    {
        TTntIniFile ini(path);
        ini.DeleteKey("Files", "B");
        ini.DeleteKey("Other", "A");
    }
    QCOMPARE(FileStamp::of(path), before);
}

void TestTntIniFile::deletionsAreOneRewriteAgainstTheFileOnDisk()
{
    const QString path = m_folder.write("base.ini", "[Files]\nA=1\nB=2\nC=3\n");
    TTntIniFile ini(path);
    QStringList keys;
    ini.ReadSection("Files", keys);
    for (const QString &key : keys)
        ini.DeleteKey("Files", key);
    // Another program adds a record (and drops one) before the deletions land.
    m_folder.write("base.ini", "[Files]\nA=1\nC=3\nNew=9\n");
    QVERIFY(ini.UpdateFile());
    QCOMPARE(m_folder.read("base.ini"), QByteArray("[Files]\nNew=9\n"));
}

void TestTntIniFile::deletionsApplyBeforeTheNextRead()
{
    TTntIniFile ini(m_folder.write("pending.ini", "[Files]\nA=1\nB=2\n"));
    ini.DeleteKey("Files", "A");
    QCOMPARE(ini.ReadString("Files", "A", "gone"), "gone");
    QStringList keys;
    ini.ReadSection("Files", keys);
    QCOMPARE(keys, QStringList{"B"});
    QCOMPARE(m_folder.read("pending.ini"), QByteArray("[Files]\nB=2\n"));
}

void TestTntIniFile::failedWritesRaiseAndKeepTheOldFile()
{
    const QString inMissingFolder = m_folder.path("no/such/folder/settings.ini");
    try {
        TTntIniFile(inMissingFolder).WriteString("S", "K", "V");
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), "Unable to write to " + inMissingFolder);
    }

    const QString readOnly = m_folder.write("readonly.ini", "[S]\nK=old\n");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QVERIFY_THROWS_EXCEPTION(AppError, TTntIniFile(readOnly).WriteString("S", "K", "new"));
    QCOMPARE(m_folder.read("readonly.ini"), QByteArray("[S]\nK=old\n"));

    // A folder in the file's place reads as missing and cannot be written.
    const QString folderPath = m_folder.path("folder.ini");
    QDir().mkpath(folderPath);
    TTntIniFile folder(folderPath);
    QCOMPARE(folder.ReadString("S", "K", "def"), "def");
    QVERIFY_THROWS_EXCEPTION(AppError, folder.WriteString("S", "K", "V"));

    // A value that would break into other lines is refused, not written.
    const QString plain = m_folder.write("inject.ini", "[S]\nK=1\n");
    QVERIFY_THROWS_EXCEPTION(AppError, TTntIniFile(plain).WriteString("S", "K", "x\r\n[T]\r\nY=1"));
    QVERIFY_THROWS_EXCEPTION(AppError, TTntIniFile(plain).WriteString("S", "a=b", "1"));
    QCOMPARE(m_folder.read("inject.ini"), QByteArray("[S]\nK=1\n"));
}

void TestTntIniFile::failedDeletionIsSilent()
{
    const QString path = m_folder.write("locked.ini", "[Files]\nA=1\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    TTntIniFile ini(path);
    ini.DeleteKey("Files", "A");
    QVERIFY(!ini.UpdateFile());
    QCOMPARE(ini.ReadString("Files", "A", "0"), "1");
}

void TestTntIniFile::manyValuesInOnePass()
{
    // How a merge brings in another writer's keys: existing ones in place,
    // new ones after the section's last key, a last line given its break.
    const IniDocument document(QStringLiteral("[S]\r\nA=1\r\n;c\r\n[T]\r\nB=2"));
    QCOMPARE(document.withValues(u"S", {{"X", "9"}, {"a", "5"}, {"Y", "8"}}),
             "[S]\r\nA=5\r\nX=9\r\nY=8\r\n;c\r\n[T]\r\nB=2");
    QCOMPARE(document.withValues(u"t", {{"b", "3"}, {"C", "4"}}), "[S]\r\nA=1\r\n;c\r\n[T]\r\nB=3\r\nC=4\r\n");
    QCOMPARE(document.withValues(u"U", {{"K", "1"}}), "[S]\r\nA=1\r\n;c\r\n[T]\r\nB=2\r\n[U]\r\nK=1\r\n");
}

void TestTntIniFile::exactSpellingNeverTakesAnotherKey()
{
    // Paths of a file system that tells letter case apart: a key spelled
    // otherwise is another file's record, never read, replaced or deleted.
    const QString path = m_folder.write("base.ini", "[Files]\n/d/A.txt=1\n");
    TTntIniFile ini(path, IniDocument::KeySpelling::Exact);
    QCOMPARE(ini.ReadString("Files", "/d/a.txt", "none"), "none");
    ini.WriteStrings("Files", {{"/d/a.txt", "2"}, {"/d/B", "3"}, {"/d/b", "4"}});
    QCOMPARE(m_folder.read("base.ini"), QByteArray("[Files]\n/d/A.txt=1\n/d/a.txt=2\n/d/B=3\n/d/b=4\n"));
    ini.DeleteKey("Files", "/d/A.TXT");
    ini.DeleteKey("Files", "/d/b");
    QVERIFY(ini.UpdateFile());
    QCOMPARE(m_folder.read("base.ini"), QByteArray("[Files]\n/d/A.txt=1\n/d/a.txt=2\n/d/B=3\n"));
    QCOMPARE(ini.ReadString("Files", "/d/a.txt", "none"), "2");
    // Nothing is written when one key of a batch cannot be held.
    QVERIFY_THROWS_EXCEPTION(AppError, ini.WriteStrings("Files", {{"/d/c", "5"}, {"/d/x=y", "6"}}));
    QCOMPARE(ini.ReadString("Files", "/d/c", "none"), "none");
}

void TestTntIniFile::renamedKeysKeepTheirPlace()
{
    // A renamed key keeps its line, spacing and value; a key already at the
    // new name goes; another spelling, another section and the line breaks
    // stay as they were.
    const QString name = m_folder.write("rename.ini", "[Files]\r\n/d/a = 1\r\n/d/A=2\r\n/e=3\r\n/d/a/x=4\r\n"
                                                      "[Other]\r\n/d/a=5\r\n");
    TTntIniFile ini(name, IniDocument::KeySpelling::Exact);
    ini.RenameKeys("Files", [](QStringView key) -> std::optional<QString> {
        if (key == u"/d/a" || key.startsWith(u"/d/a/"))
            return QStringLiteral("/e") + key.sliced(4).toString();
        return std::nullopt;
    });
    QCOMPARE(m_folder.read("rename.ini"), QByteArray("[Files]\r\n/e = 1\r\n/d/A=2\r\n/e/x=4\r\n[Other]\r\n/d/a=5\r\n"));
}

void TestTntIniFile::unreadableFileIsNeverRewritten()
{
    // Larger than the reader accepts (sparse: no disk is used); on a file
    // system that honours permissions for this user, one that cannot be read.
    QStringList unreadable{m_folder.path("huge-store.ini")};
    {
        QFile huge(unreadable.first());
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(TTntIniFile::kMaxFileBytes + 1));
    }
    if (geteuid() != 0) {
        unreadable << m_folder.write("secret.ini", "[Other]\nX=1\n");
        QFile::setPermissions(unreadable.last(), QFileDevice::WriteOwner);
    }
    for (const QString &path : unreadable) {
        const FileStamp before = FileStamp::of(path);
        TTntIniFile ini(path);
        QCOMPARE(ini.ReadString("Files", "A", "def"), "def");
        try {
            ini.WriteString("Files", "A", "1");
            QFAIL("no error raised");
        } catch (const AppError &error) {
            QCOMPARE(error.message(), "Unable to write to " + path);
        }
        ini.DeleteKey("Files", "A");
        QVERIFY(!ini.UpdateFile());
        QCOMPARE(FileStamp::of(path), before);
    }
}

void TestTntIniFile::lockHeldElsewhereEndsTheWriteInTime()
{
    const QString path = m_folder.write("lock/base.ini", "[Files]\nA=1\n");
    QProcess holder;
    holder.start("flock", {m_folder.path("lock"), "sleep", "60"});
    QVERIFY(holder.waitForStarted());
    QTRY_VERIFY(!FolderLock(m_folder.path("lock"), 0).isHeld());

    QElapsedTimer waited;
    waited.start();
    QVERIFY_THROWS_EXCEPTION(AppError, TTntIniFile(path).WriteString("Files", "B", "2"));
    TTntIniFile deletion(path);
    deletion.DeleteKey("Files", "A");
    QVERIFY(!deletion.UpdateFile());
    const qint64 elapsed = waited.elapsed();
    holder.kill();
    holder.waitForFinished();
    QCOMPARE(m_folder.read("lock/base.ini"), QByteArray("[Files]\nA=1\n"));
    // Two bounded waits, not a wait for the holder's minute.
    QVERIFY2(elapsed < 30000, qPrintable(QString::number(elapsed)));
}

void TestTntIniFile::seesChangesByOtherWriters()
{
    const QString path = m_folder.write("shared.ini", "[Files]\nA=1\n");
    TTntIniFile ini(path);
    QCOMPARE(ini.ReadString("Files", "A", "0"), "1");
    m_folder.write("shared.ini", "[Files]\nA=2\n"); // same size, changed in place
    QThread::msleep(5);
    QCOMPARE(ini.ReadString("Files", "A", "0"), "2");
    QFile::remove(path);
    QThread::msleep(5);
    QCOMPARE(ini.ReadString("Files", "A", "0"), "0");
}

// Test tables keep one row per line.
// clang-format off
void TestTntIniFile::hostileBytesReadWithoutCrash_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QRandomGenerator random(20261208);
    for (int i = 0; i < 40; ++i) {
        QByteArray bytes(int(random.bounded(1, 4000)), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(random.bounded(256));
        // Sprinkle structure so that sections and keys occur.
        for (int j = 0; j < bytes.size(); j += 37)
            bytes[j] = "[]=\n\r;\"'"[random.bounded(8)];
        if (i % 4 == 0)
            bytes.prepend("\xFF\xFE");
        else if (i % 4 == 1)
            bytes.prepend("\xFE\xFF");
        QTest::addRow("random %d", i) << bytes;
    }
    QTest::newRow("only a mark") << QByteArray("\xFF\xFE");
    QTest::newRow("only breaks") << QByteArray(1000, '\n');
    QTest::newRow("only brackets") << QByteArray(1000, '[');
    QTest::newRow("utf-8 and 8-bit lines, marks")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[Files]\nA=\xC3\xA9\nB=\xE9\n\xEF\xBB\xBF[T]\n[files]\nC=1");
    QTest::newRow("8-bit keys, sections again, keys before any")
        << QByteArray("K=0\r[Files]\r\n \xE9t\xE9 = 1\r\nB\t=2\n[Other]\nB=3\n[FILES]\n\xE9t\xE9=4");
    // A mark at a line's start, in a file with 8-bit lines, came back
    // without it from a rewrite of other lines; so did a second mark.
    QTest::newRow("marks at line starts, 8-bit lines")
        << QByteArray("[Files]\r\n\xEF\xBB\xBF" "a=1\r\nb=\xE9\r\n\xEF\xBB\xBF[T]\nc=2\n");
    QTest::newRow("two marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[Files]\nA=1\nB=\xC3\xA9\n");
    QTest::newRow("utf-8 with a mark, blank and comment lines")
        << QByteArray("\xEF\xBB\xBF[Files]\n\n; /a=1\n  /\xC3\xA9t\xC3\xA9  =  2  \n/a=3\n/b\n");
    // Lines that cross the pieces a file is streamed in, a break split
    // between two of them, in both kinds of encoding.
    QByteArray many = "[Files]\r\n";
    for (int i = 0; many.size() < 700000; ++i)
        many += "/k" + QByteArray::number(i) + " = \"" + QByteArray(i % 97, 'v') + "\" \r\n";
    QTest::newRow("beyond one piece") << many;
    QByteArray wide("\xFF\xFE");
    for (char c : many.first(400000))
        wide += QByteArray(1, c) + '\0';
    QTest::newRow("beyond one piece, utf-16") << wide;
}
// clang-format on

void TestTntIniFile::hostileBytesReadWithoutCrash()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_folder.write("hostile.ini", bytes);
    TTntIniFile ini(path);
    QStringList keys;
    ini.ReadSection("Files", keys);
    for (const QString &key : keys)
        ini.ReadString("Files", key, "0");
    // No key name holds "=".
    QCOMPARE(ini.ReadInteger("[", "=", 3), 3);
    // Every key of every section as read, in order.
    const auto everything = [this] {
        const IniDocument document(decodeIniBytes(m_folder.read("hostile.ini")).text);
        QStringList all;
        for (const QString &section : document.sectionNames()) {
            for (const QString &key : document.keyNames(section))
                all << section + u'/' + key + u'=' + document.value(section, key).value_or("<none>");
        }
        return all;
    };
    const QStringList before = everything();
    // Whatever it holds, a file decoded and encoded again is the same bytes.
    QCOMPARE(encodeIniText(decodeIniBytes(bytes)), bytes);
    // Read a line at a time, each section gives what the whole reading does.
    const IniDocument document(decodeIniBytes(bytes).text);
    for (const QString &section : document.sectionNames() + QStringList{"absent"}) {
        QList<std::pair<QString, QString>> streamed;
        QVERIFY(IniSectionStream::read(
            path, section,
            [&](QStringView key, QStringView value) {
                streamed.append({key.toString(), value.toString()});
            },
            1 << 30));
        QCOMPARE(streamed, document.entries(section));
    }
    // Renamed a piece at a time, the file comes out as the whole text's
    // rename writes it, pieces cut anywhere (in a break, in a UTF-16 unit):
    // keys moved, to names an 8-bit file can hold and to names it cannot,
    // and keys moved onto the section's last key, whose line goes.
    const IniDocument exact(decodeIniBytes(bytes).text, IniDocument::KeySpelling::Exact);
    for (const QString &section : exact.sectionNames()) {
        const QStringList keys = exact.keyNames(section);
        const QString last = keys.isEmpty() ? QString() : keys.last();
        for (const auto &[pieceBytes, suffix] : {std::pair{qsizetype(7), QStringLiteral("/moved \u00e9")},
                                                 std::pair{qsizetype(256 * 1024), QStringLiteral("/\u4e2d")}}) {
            const RenameBothWays both = RenameBothWays::of(bytes, section, pieceBytes, [&] {
                return [&, calls = 0](QStringView key) mutable -> std::optional<QString> {
                    const int call = calls++ % 3;
                    if (call == 0)
                        return key.toString() + suffix;
                    if (call == 1 && !last.isEmpty())
                        return last;
                    return std::nullopt;
                };
            });
            QVERIFY(both.result != IniKeyRename::Result::Failed);
            if (both.result != IniKeyRename::Result::WholeText)
                QCOMPARE(both.streamed, both.whole);
        }
    }
    // A write changes only what it writes; deleting it again gives back
    // everything as it read before.
    ini.WriteString("Files", "added", "1");
    QCOMPARE(ini.ReadString("Files", "added", "0"), "1");
    ini.DeleteKey("Files", "added");
    QVERIFY(ini.UpdateFile());
    QCOMPARE(everything(), before);
}

void TestTntIniFile::longValuesAndLinesComeBackWhole()
{
    // The old platform cut values at 2047 characters.
    const QString value(100000, QChar(u'x'));
    TTntIniFile ini(m_folder.path("long.ini"));
    ini.WriteString("S", "K", value);
    QCOMPARE(ini.ReadString("S", "K", ""), value);

    QByteArray huge = "[S]\nK=";
    huge += QByteArray(50 * 1024 * 1024, 'y');
    huge += "\nL=short\n";
    TTntIniFile big(m_folder.write("huge.ini", huge));
    QCOMPARE(big.ReadString("S", "L", ""), "short");
    QCOMPARE(big.ReadString("S", "K", "").size(), 50 * 1024 * 1024);
}

QTEST_GUILESS_MAIN(TestTntIniFile)
#include "tst_TntIniFile.moc"

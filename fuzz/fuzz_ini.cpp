// The INI rules on arbitrary bytes, in memory: decoding and encoding must
// give back the very same bytes; every listed key reads; a written value
// reads back; deleted keys are gone and nothing else is; a rename made a
// piece at a time writes the bytes the whole text's rename writes. (The rewrite on
// disk around these is covered by the tests: here it would only slow the
// search down.)

#include "platform/ini/IniDocument.h"
#include "platform/ini/IniKeyRename.h"
#include "platform/ini/IniText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniText decoded = decodeIniBytes(bytes);
    if (encodeIniText(decoded) != bytes)
        std::abort(); // a rewrite would change lines nobody touched

    const IniDocument document(decoded.text);
    for (const QString &section : document.sectionNames()) {
        const QStringList keys = document.keyNames(section);
        for (const QString &key : keys) {
            if (!document.value(section, key))
                std::abort();
        }
        if (keys.isEmpty())
            continue;
        const IniDocument written(document.withValue(section, keys.first(), QStringLiteral("fuzz")));
        if (written.value(section, keys.first()) != QStringLiteral("fuzz"))
            std::abort();
        if (const std::optional<QString> shorter = document.withoutKeys(section, {keys.last()})) {
            const IniDocument deleted(*shorter);
            if (deleted.value(section, keys.last()) == document.value(section, keys.last())
                && deleted.keyNames(section).size() >= keys.size())
                std::abort();
        }
    }
    const IniDocument added(document.withValue(u"Files", u"fuzz", u"1"));
    if (added.value(u"Files", u"fuzz") != QStringLiteral("1"))
        std::abort();

    // Record moves renamed a piece at a time write what the whole text's
    // rename writes: every other key moved, every third onto the last key.
    const IniDocument exact(decoded.text, IniDocument::KeySpelling::Exact);
    for (const QString &section : exact.sectionNames()) {
        const QStringList keys = exact.keyNames(section);
        if (keys.isEmpty())
            continue;
        int calls = 0;
        const auto newName = [&](QStringView key) -> std::optional<QString> {
            const int call = calls++ % 3;
            if (call == 0)
                return key.toString() + QStringLiteral("/m\u00e9");
            if (call == 1)
                return keys.last();
            return std::nullopt;
        };
        QByteArray expected = bytes;
        if (const std::optional<QString> text = exact.withRenamedKeys(section, newName)) {
            IniText renamed = decoded;
            renamed.text = *text;
            if (!canEncode(renamed.encoding, renamed.text))
                renamed.encoding = IniEncoding::Utf8;
            expected = encodeIniText(renamed);
        }
        calls = 0;
        QByteArray written;
        const IniKeyRename::Result result = IniKeyRename::rename(
            [&](const std::function<void(QByteArrayView)> &visit) {
                for (qsizetype at = 0; at < bytes.size(); at += 5)
                    visit(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(5, bytes.size() - at)));
                return true;
            },
            section, newName,
            [&](QByteArrayView piece) {
                written += piece;
                return true;
            });
        if (result == IniKeyRename::Result::Written && written != expected)
            std::abort();
        if (result == IniKeyRename::Result::Unchanged && expected != bytes)
            std::abort();
    }
    return 0;
}

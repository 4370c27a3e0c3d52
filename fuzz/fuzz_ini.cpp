// The INI rules on arbitrary bytes, in memory: decoding and encoding must
// give back the very same bytes; every listed key reads; a written value
// reads back; deleted keys are gone and nothing else is; a rename made a
// piece at a time writes the bytes the whole text's rename writes. (The rewrite on
// disk around these is covered by the tests: here it would only slow the
// search down.)

#include "platform/ini/IniDocument.h"
#include "platform/ini/IniText.h"
#include "tests/support/RenameBothWays.h"

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
    // rename writes: keys moved, and moved onto the last key.
    const IniDocument exact(decoded.text, IniDocument::KeySpelling::Exact);
    for (const QString &section : exact.sectionNames()) {
        const QStringList keys = exact.keyNames(section);
        if (keys.isEmpty())
            continue;
        const RenameBothWays both = RenameBothWays::of(bytes, section, 5, [&] {
            return [&, calls = 0](QStringView key) mutable -> std::optional<QString> {
                const int call = calls++ % 3;
                if (call == 0)
                    return key.toString() + QStringLiteral("/m\u00e9");
                if (call == 1)
                    return keys.last();
                return std::nullopt;
            };
        });
        if (!both.agree())
            std::abort();
    }
    return 0;
}

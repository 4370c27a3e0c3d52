#pragma once

#include "platform/ini/IniDocument.h"
#include "platform/ini/IniKeyRename.h"
#include "platform/ini/IniText.h"

#include <QByteArray>

#include <algorithm>
#include <functional>
#include <optional>

// One rename of a section's keys made both ways a record move can take:
// over the whole text (IniDocument, as the rewrite writes it) and a piece
// at a time (IniKeyRename, the file cut into pieces of pieceBytes). Header
// only, for the tests and the fuzz target alike. `makeRule` gives a fresh
// naming rule for each way, as a rule may count its calls.
struct RenameBothWays {
    using Rule = std::function<std::optional<QString>(QStringView)>;

    IniKeyRename::Result result = IniKeyRename::Result::Failed;
    QByteArray streamed; // the bytes the piecewise rename wrote (or the file, Unchanged)
    QByteArray whole;    // the bytes the whole text's rename writes

    // Both ways agree, or the piecewise one left the file to the other.
    bool agree() const { return result == IniKeyRename::Result::WholeText || streamed == whole; }

    static RenameBothWays of(const QByteArray &bytes, const QString &section, qsizetype pieceBytes,
                             const std::function<Rule()> &makeRule)
    {
        RenameBothWays both;
        const IniText form = decodeIniBytes(bytes);
        both.whole = bytes;
        if (const std::optional<QString> text =
                IniDocument(form.text, IniDocument::KeySpelling::Exact).withRenamedKeys(section, makeRule())) {
            IniText renamed = form;
            renamed.text = *text;
            if (!canEncode(renamed.encoding, renamed.text))
                renamed.encoding = IniEncoding::Utf8;
            both.whole = encodeIniText(renamed);
        }
        both.result = IniKeyRename::rename(
            [&](const std::function<void(QByteArrayView)> &visit) {
                for (qsizetype at = 0; at < bytes.size(); at += pieceBytes)
                    visit(QByteArrayView(bytes).sliced(at, std::min(pieceBytes, bytes.size() - at)));
                return true;
            },
            section, makeRule(),
            [&](QByteArrayView piece) {
                both.streamed += piece;
                return true;
            });
        if (both.result == IniKeyRename::Result::Unchanged)
            both.streamed = bytes;
        return both;
    }
};

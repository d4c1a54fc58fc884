#pragma once
// The ledger's search finds a text in the header fields of the records as typed, whatever it
// holds, except that it does not tell capitals from small letters of the Latin script. The
// database compares text, which cannot carry a lone UTF-16 surrogate and in which LIKE stops at a
// NUL, so each record keeps its header texts in a searchable form, and a search term is put in the
// same form before it is matched:
//
//   - a lone surrogate, NUL, line feed (which separates the texts), U+FFFD and the private-use
//     characters U+E000 … U+E00F are each written as U+FFFD followed by the four hex digits of
//     their code unit, each digit d as the private-use character U+E000 + d;
//   - a letter of the Latin script (A–Z, the other Latin blocks, full-width Ａ–Ｚ) stands for its
//     simple case folding (QChar::toCaseFolded: `Zhang` as `zhang`, `Ａ` as `ａ`, `ẞ` as `ß`);
//     letters of every other script (Greek, Cyrillic…) keep their case;
//   - every other character, surrogate pairs included, stands for itself.
//
// The folding is done here, never by the database: SQLite's lower() folds A–Z only and another
// database's follows its locale, so either would find other rows. The database's LIKE is told to
// compare exactly (database.h). Each character becomes one character or one group, the same in a
// text and in a term; every U+FFFD of the form starts such a group and the digits never stand
// alone, so a term's form can only match another form at the start of a character: a term is
// found in a text exactly when its form is found in the text's form. The search then is
// `LIKE ? ESCAPE '\'` over that form, with the term's %, _ and \ escaped, and never SQL built
// from the text. A store's forms are written anew when this folding changes (schema.h).

#include <QString>
#include <string_view>
#include <vector>

namespace quenby::store {

// The searchable form of `text`.
QString searchable(std::u16string_view text);
// The searchable form of several texts, one line each.
QString searchable(const std::vector<std::u16string_view>& texts);

// The LIKE pattern (escape character \) that finds `term` anywhere in a searchable form.
QString likePattern(std::u16string_view term);

}  // namespace quenby::store

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
#include <optional>
#include <string_view>
#include <vector>

namespace quenby::store {

// The searchable form of `text`.
QString searchable(std::u16string_view text);
// The searchable form of several texts, one line each.
QString searchable(const std::vector<std::u16string_view>& texts);

// The LIKE pattern (escape character \) that finds `term` anywhere in a searchable form.
QString likePattern(std::u16string_view term);

// The store's full-text index (schema.h) finds a term without reading every form. It holds each
// form as one token per character of the form (a surrogate pair is one character, the line feed
// between texts one too), each token the character's code point in small hex digits: `木材` as
// `6728 6750`. The index's own tokenizer then sees nothing but letters a–f, digits and spaces,
// whatever the user typed. A term is the phrase of its form's tokens, which the index finds
// exactly where the form's characters stand one after the other: where the LIKE pattern matches.
// A term holds no bare line feed (searchable writes it as a group), so no phrase spans two texts.

// The characters of a searchable form, one per token of the index.
std::vector<char32_t> formCharacters(std::u16string_view form);
// The tokens the index keeps for a searchable form.
QString indexTokens(std::u16string_view form);
// The index's query (a quoted phrase, only hex digits and spaces inside) that finds `term`.
QString matchPhrase(std::u16string_view term);

// The store also keeps the totals of the records that hold each gram of one or two characters of
// the forms, one after the other as the index sees them (schema.h: gram_sums): a term of one or
// two characters, which many records may hold, is summed without reading its records. A gram is
// a number: a character's code point c, or two characters' (c1 + 1) * 0x110000 + c2.

// The grams of a searchable form, each once, in order.
std::vector<qint64> formGrams(std::u16string_view form);
// The gram of a term whose form is one or two characters; nothing for any other term.
std::optional<qint64> termGram(std::u16string_view term);
// Each two characters one after the other in the form of a term of three characters or more, as
// a gram and as the index's phrase that finds them; nothing for a shorter term.
struct TermPair {
  qint64 gram;
  QString phrase;
};
std::vector<TermPair> termPairs(std::u16string_view term);

}  // namespace quenby::store

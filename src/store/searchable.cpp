#include "store/searchable.h"

#include <algorithm>

namespace quenby::store {

namespace {

constexpr char16_t kEscape = u'\xFFFD';
constexpr char16_t kFirstDigit = u'\xE000';
constexpr char16_t kSeparator = u'\n';

bool written(char16_t c) {
  return c == u'\0' || c == kSeparator || c == kEscape || (c >= kFirstDigit && c <= kFirstDigit + 0xF);
}

void writeEscaped(QString& out, char16_t c) {
  out += QChar(kEscape);
  for (int shift = 12; shift >= 0; shift -= 4)
    out += QChar(static_cast<char16_t>(kFirstDigit + ((c >> shift) & 0xF)));
}

// A letter of the Latin script (full-width forms included) by its simple case folding, which maps
// one character to one; any other character as it is.
char32_t folded(char32_t c) { return QChar::script(c) == QChar::Script_Latin ? QChar::toCaseFolded(c) : c; }

void appendCharacter(QString& out, char32_t c) {
  if (QChar::requiresSurrogates(c)) {
    out += QChar(QChar::highSurrogate(c));
    out += QChar(QChar::lowSurrogate(c));
  } else {
    out += QChar(static_cast<char16_t>(c));
  }
}

void append(QString& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1])) {
      appendCharacter(out, folded(QChar::surrogateToUcs4(c, text[++i])));
    } else if (QChar::isSurrogate(c) || written(c)) {
      writeEscaped(out, c);
    } else {
      appendCharacter(out, folded(c));
    }
  }
}

}  // namespace

QString searchable(std::u16string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  append(out, text);
  return out;
}

QString searchable(const std::vector<std::u16string_view>& texts) {
  QString out;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) out += QChar(kSeparator);
    append(out, texts[i]);
  }
  return out;
}

QString likePattern(std::u16string_view term) {
  const QString form = searchable(term);
  QString pattern;
  pattern.reserve(form.size() + 2);
  pattern += u'%';
  for (QChar c : form) {
    if (c == u'%' || c == u'_' || c == u'\\') pattern += u'\\';
    pattern += c;
  }
  pattern += u'%';
  return pattern;
}

std::vector<char32_t> formCharacters(std::u16string_view form) {
  std::vector<char32_t> characters;
  characters.reserve(form.size());
  for (size_t i = 0; i < form.size(); ++i) {
    char32_t c = form[i];
    if (QChar::isHighSurrogate(form[i]) && i + 1 < form.size() && QChar::isLowSurrogate(form[i + 1])) {
      c = QChar::surrogateToUcs4(form[i], form[i + 1]);
      ++i;
    }
    characters.push_back(c);
  }
  return characters;
}

QString indexTokens(std::u16string_view form) {
  QString tokens;
  tokens.reserve(static_cast<qsizetype>(form.size()) * 5);
  for (const char32_t c : formCharacters(form)) {
    if (!tokens.isEmpty()) tokens += u' ';
    tokens += QString::number(static_cast<uint>(c), 16);
  }
  return tokens;
}

namespace {

constexpr qint64 kCodePoints = 0x110000;

qint64 gramOf(char32_t c) { return c; }
qint64 gramOf(char32_t first, char32_t second) { return (first + 1) * kCodePoints + second; }

}  // namespace

std::vector<qint64> formGrams(std::u16string_view form) {
  const std::vector<char32_t> characters = formCharacters(form);
  std::vector<qint64> grams;
  grams.reserve(characters.size() * 2);
  for (size_t i = 0; i < characters.size(); ++i) {
    grams.push_back(gramOf(characters[i]));
    if (i + 1 < characters.size()) grams.push_back(gramOf(characters[i], characters[i + 1]));
  }
  std::sort(grams.begin(), grams.end());
  grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
  return grams;
}

std::vector<TermPair> termPairs(std::u16string_view term) {
  const QString form = searchable(term);
  const std::vector<char32_t> characters = formCharacters(form.toStdU16String());
  std::vector<TermPair> pairs;
  if (characters.size() < 3) return pairs;
  for (size_t i = 0; i + 1 < characters.size(); ++i)
    pairs.push_back({gramOf(characters[i], characters[i + 1]),
                     QStringLiteral("\"%1 %2\"")
                         .arg(QString::number(static_cast<uint>(characters[i]), 16),
                              QString::number(static_cast<uint>(characters[i + 1]), 16))});
  return pairs;
}

std::optional<qint64> termGram(std::u16string_view term) {
  const QString form = searchable(term);
  const std::vector<char32_t> characters = formCharacters(form.toStdU16String());
  if (characters.size() == 1) return gramOf(characters[0]);
  if (characters.size() == 2) return gramOf(characters[0], characters[1]);
  return std::nullopt;
}

QString matchPhrase(std::u16string_view term) {
  const QString form = searchable(term);
  return u'"' + indexTokens(form.toStdU16String()) + u'"';
}

}  // namespace quenby::store

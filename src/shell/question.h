#pragma once
// A question to the user: a modal box, caption "Quenby", buttons each named for what it does, the
// last one doing nothing and chosen by Escape.

#include <QString>
#include <QStringList>

class QWidget;

namespace quenby::shell {

enum class Answer { Act, Refrain };

// Asks `text`; Enter takes `byDefault`. Returns the button the user chose.
Answer ask(QWidget* parent, const QString& text, const QString& act, const QString& refrain,
           Answer byDefault);

// Asks `text` with `buttons` (the last one does nothing; Escape chooses it); Enter takes
// buttons[byDefault]. Returns the index of the button the user chose.
int choose(QWidget* parent, const QString& text, const QStringList& buttons, int byDefault);

}  // namespace quenby::shell

#pragma once
// A question to the user: a modal box, caption "Quenby", a button that acts and one that does not,
// each named for what it does, Escape choosing the second.

#include <QString>

class QWidget;

namespace quenby::shell {

enum class Answer { Act, Refrain };

// Asks `text`; Enter takes `byDefault`. Returns the button the user chose.
Answer ask(QWidget* parent, const QString& text, const QString& act, const QString& refrain,
           Answer byDefault);

}  // namespace quenby::shell

#ifndef TYPEDKEYFILTER_H
#define TYPEDKEYFILTER_H

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QKeyEvent;
class QWidget;

// Lets a field's key-press rule see each character typed into it: printable
// characters, backspace, Enter (as a carriage return) and the control
// characters Ctrl+letter types. Keys that type nothing (arrows, Home, End,
// Delete, Tab, Escape) pass untouched. The rule may keep a character, change
// it, or discard it by making it null.
class TypedKeyFilter : public QObject
{
    Q_OBJECT

public:
    using Rule = std::function<void(QChar &)>;

    explicit TypedKeyFilter(QObject *parent = nullptr);

    // `field` is a QLineEdit or a QPlainTextEdit.
    void add(QWidget *field, Rule rule);

    static QString typedText(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QObject *, Rule> m_rules;
};

#endif // TYPEDKEYFILTER_H

// The entry rules of the log-entry window: what happens when a field of the
// entry row is entered, left, or typed into. The checks themselves are the
// pure functions of entryrules.h; these handlers apply their results to the
// controls in the order the window shows them.

#include "VorlenMainFile.h"

#include "desktop.h"
#include "entryrow.h"

#include "entryrules.h"
#include "focusrules.h"
#include "statusshape.h"
#include "typedkeyfilter.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

// Selects `length` characters from the selection's start; a text that was
// just replaced is selected from its beginning. A field the focus has left
// shows no selection, as the platform deselects it when the focus goes.
void selectFromStart(QLineEdit *field, int length, bool replaced)
{
    if (!field->hasFocus())
        return;
    int start = 0;
    if (!replaced)
        start = field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    field->setSelection(start, qMin(length, int(field->text().size()) - start));
}

} // namespace

QString TMainForm::defaultDate() const
{
    return EntryRules::defaultDateText(m_desktop.now().date());
}

QString TMainForm::currentTime() const
{
    return EntryRules::currentTimeText(m_desktop.now().time());
}

void TMainForm::LockEntryFields()
{
    Panel1->setReadOnly(true);
    LabelRecordStatus->setText(QStringLiteral("Editing Disabled"));
    LabelRecordStatus->show();
}

void TMainForm::RadioGroup1Enter()
{
    if (state().EditLocked)
        LockEntryFields();
}

void TMainForm::RadioGroup1Exit()
{
    ShapeStatus->setFillColor(Yellow);
    setMessageSize(12);
    ShapeStatus->setToolTip(OpenLog::HintEditing);
    LabelRecordStatus->hide();
}

void TMainForm::EditDateEnter()
{
    bool replaced = false;
    if (EditDate->text() == EntryRules::DatePlaceholder) {
        EditDate->setText(defaultDate());
        replaced = true;
    } else if (state().EditLocked) {
        LockEntryFields();
    }
    selectFromStart(EditDate, 10, replaced);
    if (!state().EditLocked && !EntryError)
        LabelRecordStatus->hide();
}

bool TMainForm::EditDateExit()
{
    if (EditDate->text() == EntryRules::DatePlaceholder) {
        // Left untouched: today's date goes in and the focus stays here,
        // the date selected as when the field was entered.
        EditDate->setText(defaultDate());
        m_focusRules->moveQuietly(EditDate);
        selectFromStart(EditDate, 10, true);
        return false;
    }
    EntryError = false;
    const EntryRules::DateResult result = EntryRules::normalizeDate(EditDate->text(), defaultDate());
    if (!result.error) {
        EditDate->setText(result.text);
        if (!state().EditLocked)
            RadioGroup1Exit();
        return true;
    }
    EntryError = true;
    LabelRecordStatus->setText(QStringLiteral("Date Entry Error - Using Default"));
    showMessageInRed();
    ShapeStatus->setFillColor(Red);
    LabelRecordStatus->setToolTip(QStringLiteral("Date Format Error"));
    EditDate->setText(defaultDate());
    return true;
}

void TMainForm::EditTimeEnter()
{
    bool replaced = false;
    if (EditTime->text() == EntryRules::TimePlaceholder) {
        EditTime->setText(currentTime());
        replaced = true;
    }
    selectFromStart(EditTime, 8, replaced);
    setMessageSize(12);
    if (state().EditLocked)
        LockEntryFields();
}

void TMainForm::EditTimeExit()
{
    const EntryRules::TimeResult result = EntryRules::normalizeTime(EditTime->text(), currentTime());
    EditTime->setText(result.text);
    if (result.error) {
        LabelRecordStatus->setText(QStringLiteral("Time Entry Error - Using Default"));
        showMessageInRed();
        ShapeStatus->setFillColor(Red);
        LabelRecordStatus->setToolTip(QStringLiteral("Time Format Error"));
    } else if (!state().EditLocked) {
        RadioGroup1Exit();
    }
}

void TMainForm::EditPhoneEnter()
{
    if (state().EditLocked)
        LockEntryFields();
}

void TMainForm::EditPhoneExit()
{
    const Configuration &config = m_log.configuration();
    const EntryRules::PhoneResult result = EntryRules::normalizePhone(EditPhone->text(), config.phoneSeparator,
                                                                      config.defaultAreaCode, config.defaultPrefix);
    EditPhone->setText(result.text);
    selectFromStart(EditPhone, 13, true);
    if (result.error) {
        LabelRecordStatus->setText(QStringLiteral("Phone # Format Error"));
        ShapeStatus->setFillColor(Red);
        LabelRecordStatus->show();
    } else if (!state().EditLocked) {
        RadioGroup1Exit();
    }
    // A phone error is reported here, never through the date's error flag.
    EntryError = false;
    showCallerHistory();
}

void TMainForm::EditNameEnter()
{
    if (state().EditLocked)
        LockEntryFields();
}

void TMainForm::EditNameExit()
{
    if (EditName->text() == EntryRules::NamePlaceholder || EditName->text().isEmpty())
        EditName->setText(QStringLiteral("Unknown Caller"));
    selectFromStart(EditName, 15, true);
    if (!state().EditLocked)
        RadioGroup1Exit();
}

void TMainForm::EditCompanyEnter()
{
    if (state().EditLocked)
        LockEntryFields();
}

void TMainForm::EditCompanyExit()
{
    if (EditCompany->text() == EntryRules::CompanyPlaceholder || EditCompany->text().isEmpty())
        EditCompany->setText(QStringLiteral("Unknown"));
    selectFromStart(EditCompany, 15, true);
    if (!state().EditLocked)
        RadioGroup1Exit();
}

void TMainForm::Memo1Enter()
{
    if (state().EditLocked)
        LockEntryFields();
}

void TMainForm::Memo1Exit()
{
    if (!state().EditMode)
        return;
    ShapeStatus->setFillColor(Yellow);
    LabelRecordStatus->hide();
    setMessageSize(12);
}

void TMainForm::Memo1KeyPress(QChar &key)
{
    if (key == QLatin1Char('\r')) {
        // Enter saves the entry and types nothing: a saved entry leaves the
        // notes empty for the next call, and a refused one keeps them as typed.
        key = QChar();
        SaveCurrent1Click();
    } else if (!EntryRules::textKeyAccepted(key)) {
        key = QChar();
    }
}

void TMainForm::connectRules()
{
    // Rules run only when the focus moves between two controls of this window;
    // a menu, a dialog, another window or losing activation runs none. The
    // menu bar holds the focus only while a menu is worked from the keyboard;
    // for the rules the focus stays in the control it came from.
    m_focusRules = std::make_unique<FocusRules>(this, FocusRules::Moves::BetweenControls);
    m_focusRules->passThrough(menuBar());
    m_focusRules->add(
        RadioGroup1, [this] { RadioGroup1Enter(); }, [this] { RadioGroup1Exit(); });
    m_focusRules->addHolding(
        EditDate, [this] { EditDateEnter(); }, [this] { return EditDateExit(); });
    m_focusRules->add(
        EditTime, [this] { EditTimeEnter(); }, [this] { EditTimeExit(); });
    m_focusRules->add(
        EditPhone, [this] { EditPhoneEnter(); }, [this] { EditPhoneExit(); });
    m_focusRules->add(
        EditName, [this] { EditNameEnter(); }, [this] { EditNameExit(); });
    m_focusRules->add(
        EditCompany, [this] { EditCompanyEnter(); }, [this] { EditCompanyExit(); });
    m_focusRules->add(
        Memo1, [this] { Memo1Enter(); }, [this] { Memo1Exit(); });
    // Controls without rules; the spin edit's text is part of it.
    m_focusRules->add(SpinEditSelect);
    m_focusRules->add(ButtonSelect);
    m_focusRules->add(Button1Cancel);

    auto *keys = new TypedKeyFilter(this);
    auto accepts = [](bool (*accepted)(QChar)) {
        return [accepted](QChar &key) {
            if (!accepted(key))
                key = QChar();
        };
    };
    keys->add(EditDate, accepts(&EntryRules::dateKeyAccepted));
    keys->add(EditTime, accepts(&EntryRules::timeKeyAccepted));
    keys->add(EditPhone, [this](QChar &key) {
        if (!EntryRules::phoneKeyAccepted(key, m_log.configuration().phoneSeparator))
            key = QChar();
    });
    keys->add(EditName, accepts(&EntryRules::textKeyAccepted));
    keys->add(EditCompany, accepts(&EntryRules::textKeyAccepted));
    keys->add(Memo1, [this](QChar &key) { Memo1KeyPress(key); });
}

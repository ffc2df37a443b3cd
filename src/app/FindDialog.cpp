#include "app/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(tr("Найти"));
    setModal(false);

    auto* label = new QLabel(tr("Что:"), this);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("FindText"));
    label->setBuddy(text_);
    wholeWord_ = new QCheckBox(tr("Только слово целиком"), this);
    wholeWord_->setObjectName(QStringLiteral("WholeWord"));
    matchCase_ = new QCheckBox(tr("С учетом регистра"), this);
    matchCase_->setObjectName(QStringLiteral("MatchCase"));
    findNext_ = new QPushButton(tr("Найти далее"), this);
    findNext_->setObjectName(QStringLiteral("FindNext"));
    findNext_->setDefault(true);
    auto* cancel = new QPushButton(tr("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(text_, 0, 1);
    grid->addWidget(findNext_, 0, 2);
    grid->addWidget(wholeWord_, 1, 0, 1, 2);
    grid->addWidget(cancel, 1, 2);
    grid->addWidget(matchCase_, 2, 0, 1, 2);

    connect(findNext_, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

QString TFindDialog::FindText() const { return text_->text(); }
void TFindDialog::SetFindText(const QString& text) { text_->setText(text); }
bool TFindDialog::WholeWord() const { return wholeWord_->isChecked(); }
bool TFindDialog::MatchCase() const { return matchCase_->isChecked(); }

void TFindDialog::Present()
{
    show();
    raise();
    activateWindow();
    text_->setFocus();
    text_->selectAll();
}

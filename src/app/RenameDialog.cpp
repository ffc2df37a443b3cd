#include "app/RenameDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TRenameDialog::TRenameDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(tr("Переименование"));
    setModal(true);

    NameLabel = new QLabel(tr("Новое имя:"), this);
    NameLabel->setObjectName(QStringLiteral("Label1"));
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName(QStringLiteral("Edit1"));
    NameEdit->setMaxLength(24);
    NameEdit->setAccessibleName(NameLabel->text());
    NameLabel->setBuddy(NameEdit);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("Button1"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(tr("Отмена"), this);
    CancelButton->setObjectName(QStringLiteral("Button2"));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(NameLabel);
    layout->addWidget(NameEdit);
    layout->addLayout(buttons);
    setFixedSize(280, 110);
}

void TRenameDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    NameEdit->selectAll();
    NameEdit->setFocus();
}

#include "app/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/BenchIcon.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutDialog");
    setWindowTitle("About Tegu demo test");
    setWindowIcon(BenchIcon());

    auto* icon = new QLabel(this);
    icon->setObjectName("AboutIcon");
    icon->setPixmap(BenchIcon().pixmap(32, 32));

    auto* text = new QLabel("Varnw Application \n\nThis program will demostrate use of the Varn device.", this);
    text->setObjectName("AboutText");
    auto* address = new QLabel("Varn Scanner Systems\nVia dell'Industria 12\n40100 Bologna - Italy\n"
                               "service@varn-scanners.example",
                               this);
    address->setObjectName("AboutAddress");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName("AboutButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(text);
    texts->addWidget(address);
    top->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

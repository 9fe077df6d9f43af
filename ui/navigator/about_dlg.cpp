#include "about_dlg.h"

#include "dialog_units.h"
#include "ui_about.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ApplyDialogUnits(this, 8, {235, 55});
    // An icon control shows the icon at its own size, whatever the template says.
    m_ui->ctlIcon->setPixmap(QPixmap(":/icon/128/32.png"));
    m_ui->ctlIcon->resize(32, 32);
    connect(m_ui->btnOK, &QPushButton::clicked, this, &CAboutDlg::accept);
}

CAboutDlg::~CAboutDlg() = default;

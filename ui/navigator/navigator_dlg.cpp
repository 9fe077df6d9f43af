#include "navigator_dlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QTimer>
#include <QTimerEvent>
#include <QVBoxLayout>

#include "about_dlg.h"
#include "alerts.h"
#include "cut_text_tip.h"
#include "dialog_units.h"
#include "event_file.h"
#include "event_level.h"
#include "event_store.h"
#include "history_dlg.h"
#include "level_icons.h"
#include "monitor_dlg.h"
#include "options_dlg.h"
#include "qt_text.h"
#include "settings.h"
#include "settings_io.h"
#include "shell_services.h"
#include "shown_text.h"
#include "string_table.h"
#include "ui_navigator.h"

QRect g_WndPlacement;

namespace {

// Which banner image the next blink shows (0 or 1).
int g_Blink = 0;

constexpr QSize kTemplateSize{320, 239};
constexpr int kFontPointSize = 10;
constexpr int kAboutCommand = 16;
constexpr int kLevelIconSize = 15;

}  // namespace

// The images live in this static library; nothing else would pull them in.
static void InitNavigatorResources() { Q_INIT_RESOURCE(navigator); }

CNavigatorDlg::CNavigatorDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CNavigatorDlg>())
{
    InitNavigatorResources();
    m_ui->setupUi(this);
    CreateControls();
}

CNavigatorDlg::~CNavigatorDlg() { DeleteMonitor(); }

void CNavigatorDlg::CreateControls()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    // The menu sits above the template's client area, as a window menu does.
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setMenuBar(m_ui->menuBar);
    frame->addStretch();
    ApplyDialogUnits(this, kFontPointSize, kTemplateSize, m_ui->menuBar->sizeHint().height());

    m_textEdits = {m_ui->edtMessage, m_ui->edtName,     m_ui->edtTimeDate,        m_ui->edtLockingSystem,
                   m_ui->edtLocking, m_ui->edtGroupId,  m_ui->edtMemberId,        m_ui->edtCurrent,
                   m_ui->edtTotal};
    for (QLineEdit* edit : m_textEdits)
        connect(edit, &QLineEdit::textChanged, this, &CNavigatorDlg::RefreshView);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    connect(m_ui->btnExit, &QPushButton::clicked, this, &CNavigatorDlg::OnExit);
    connect(m_ui->btnNext, &QPushButton::clicked, this, &CNavigatorDlg::OnNext);
    connect(m_ui->btnPrevious, &QPushButton::clicked, this, &CNavigatorDlg::OnPrevious);
    connect(m_ui->btnLast, &QPushButton::clicked, this, &CNavigatorDlg::OnLast);
    connect(m_ui->btnFirst, &QPushButton::clicked, this, &CNavigatorDlg::OnFirst);
    connect(m_ui->chkRead, &QCheckBox::clicked, this, &CNavigatorDlg::OnRead);
    connect(m_ui->actionSave, &QAction::triggered, this, &CNavigatorDlg::OnFileSave);
    connect(m_ui->btnMonitor, &QPushButton::clicked, this, &CNavigatorDlg::OnMonitor);
    connect(m_ui->btnOptions, &QPushButton::clicked, this, &CNavigatorDlg::OnOptions);
    connect(m_ui->btnAllRead, &QPushButton::clicked, this, &CNavigatorDlg::OnAllRead);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &CNavigatorDlg::OnCommitData);
    ConnectAlerts();
}

// ---- Start-up ------------------------------------------------------------

bool CNavigatorDlg::OnInitDialog()
{
    DoDataExchange(false);
    return m_Lifecycle.Start();
}

void CNavigatorDlg::PrepareWindow()
{
    AddAboutEntry();
    setWindowIcon(QIcon(":/icon/128/32.png"));
    m_pBitmaps[0] = QPixmap(":/bitmap/137.png");
    m_pBitmaps[1] = QPixmap(":/bitmap/138.png");
    m_ui->ctlBanner->hide();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Position of the frame, size of the client: what move() and resize() take.
    g_WndPlacement = QRect(pos(), size());
}

void CNavigatorDlg::Report(std::string_view text) { ShowMessage(this, text); }

void CNavigatorDlg::ShowEndpointNotice(std::string_view notice)
{
    m_strEndpointNotice = ToQString(std::string(notice));
    ShowNotices();
}

void CNavigatorDlg::ShowArchiveNotice(std::string_view notice)
{
    m_strArchiveNotice = ToQString(std::string(notice));
    ShowNotices();
}

// The title bar is seen even with the window in the background; the caption
// stays first so the window is still found by its name, and the endpoint's
// notice, the graver, comes before the archive's.
void CNavigatorDlg::ShowNotices()
{
    if (m_strCaption.isEmpty())
        m_strCaption = windowTitle();
    QString title = m_strCaption;
    for (const QString& notice : {m_strEndpointNotice, m_strArchiveNotice}) {
        if (!notice.isEmpty())
            title += " - " + notice;
    }
    setWindowTitle(title);
}

int CNavigatorDlg::DoModal()
{
    if (!OnInitDialog())
        return Accepted;
    // Not QDialog::exec(): its loop ends whenever the dialog is hidden, and
    // the navigator hides while the Monitor is up. Only CloseWindow, after
    // the final save, ends this one.
    show();
    QEventLoop loop;
    m_pModalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_pModalLoop = nullptr;
    return result();
}

void CNavigatorDlg::AddAboutEntry()
{
    // The window manager owns the title-bar menu here, so the entry closes
    // the File menu instead.
    const std::string_view text = LoadStringText(IDS_ABOUTBOX);
    if (text.empty())
        return;
    m_ui->menuFile->addSeparator();
    QAction* about = m_ui->menuFile->addAction(ToQString(std::string(text)));
    about->setProperty("commandId", kAboutCommand);
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(kAboutCommand); });
}

void CNavigatorDlg::OnSysCommand(int id)
{
    // The low four bits of a window-menu command are the system's own.
    if ((id & ~0xF) == kAboutCommand) {
        CAboutDlg about;
        about.exec();
    }
}

void CNavigatorDlg::StartTimers() { m_nTimer1 = startTimer(ShellServices().timerPeriods.refresh); }

void CNavigatorDlg::StopTimers()
{
    if (m_nTimer1)
        killTimer(m_nTimer1);
    m_nTimer1 = 0;
}

CTimerPeriods CNavigatorDlg::TimerPeriods() const { return ShellServices().timerPeriods; }

// ---- Events and timers ---------------------------------------------------

void CNavigatorDlg::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_nTimer1)
        OnTimer(kTimerRefresh);
    else
        QDialog::timerEvent(e);
}

void CNavigatorDlg::OnTimer(int id)
{
    if (id != kTimerRefresh)
        return;
    RefreshView();
    BlinkBanner();
    m_pAlerts->UpdateUnread();
}

void CNavigatorDlg::BlinkBanner()
{
    QLabel* banner = m_ui->ctlBanner;
    if (cur_item != -1 && m_Shown.read == 0) {
        banner->setPixmap(m_pBitmaps[g_Blink]);
        banner->resize(m_pBitmaps[g_Blink].size());
        banner->show();
        g_Blink = g_Blink == 0 ? 1 : 0;
    } else {
        banner->hide();
    }
}

// ---- The view ------------------------------------------------------------

void CNavigatorDlg::DoDataExchange(bool saveAndValidate)
{
    Ui::CNavigatorDlg& ui = *m_ui;
    if (saveAndValidate) {
        m_nCurrent = ui.edtCurrent->text().toInt();
        m_strTimeDate = ui.edtTimeDate->text().toStdString();
        m_strGroupId = ui.edtGroupId->text().toStdString();
        m_strLocking = ui.edtLocking->text().toStdString();
        m_strMemberId = ui.edtMemberId->text().toStdString();
        m_strName = ui.edtName->text().toStdString();
        m_strMessage = ui.edtMessage->text().toStdString();
        m_bRead = ui.chkRead->isChecked() ? 1 : 0;
        m_strLockingSystem = ui.edtLockingSystem->text().toStdString();
        m_nTotal = ui.edtTotal->text().toInt();
        return;
    }
    // Writing the controls must not look like the user typing.
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QLineEdit* edit : m_textEdits)
        quiet.push_back(std::make_unique<QSignalBlocker>(edit));
    ui.edtCurrent->setText(QString::number(m_nCurrent));
    ui.edtTimeDate->setText(QString::fromStdString(m_strTimeDate));
    ui.edtGroupId->setText(QString::fromStdString(m_strGroupId));
    ui.edtLocking->setText(QString::fromStdString(m_strLocking));
    ui.edtMemberId->setText(QString::fromStdString(m_strMemberId));
    ui.edtName->setText(QString::fromStdString(m_strName));
    ui.edtMessage->setText(QString::fromStdString(m_strMessage));
    ui.chkRead->setChecked(m_bRead != 0);
    ui.edtLockingSystem->setText(QString::fromStdString(m_strLockingSystem));
    ui.edtTotal->setText(QString::number(m_nTotal));
    // A text longer than its field shows its beginning, where a message
    // says what happened, not its end; the whole of it is the tooltip.
    for (QLineEdit* edit : m_textEdits) {
        edit->setCursorPosition(0);
        TipWholeTextWhenCut(edit);
    }
    ShowLevel();
}

void CNavigatorDlg::RefreshView()
{
    DoDataExchange(true);
    bool changed = false;
    if (new_arrived != 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        changed = HandOverArrivals(m_Shown, {[this] { HandOver(); }, [this] { RefillMonitor(); }});
        QApplication::restoreOverrideCursor();
    }
    changed = ResolveRequest(m_Shown) || changed;
    if (!changed) {
        if (!ViewMatchesShown()) {
            ShowShownRecord();
        } else if (m_bRead != m_Shown.read && cur_item != -1 && WriteBackReadFlag(m_Shown, m_bRead != 0)) {
            DoDataExchange(false);
        }
        return;
    }
    ShowShownRecord();
}

// The new-message reaction, under the store mutex.
void CNavigatorDlg::HandOver()
{
    m_pAlerts->OnArrivals();
    if (gPop != 0) {
        showNormal();
        move(g_WndPlacement.topLeft());
        resize(g_WndPlacement.size());
        if (!IsHeadless()) {  // there is no window stack to raise
            raise();
            activateWindow();
        }
    }
}

// What the fields show against what they would show for m_Shown: comparing
// the record's bytes with the fields' texts instead would find a difference
// in every text that is not UTF-8, and the Read box would never stick.
bool CNavigatorDlg::ViewMatchesShown() const
{
    return m_strTimeDate == ShownText(TimeDateText(m_Shown)) && m_strName == ShownText(m_Shown.name)
           && m_strMessage == ShownText(m_Shown.desc) && m_strLockingSystem == ShownText(m_Shown.sysName)
           && m_strLocking == ShownText(m_Shown.lockName) && m_strGroupId == ShownText(m_Shown.gid)
           && m_strMemberId == ShownText(m_Shown.mid);
}

void CNavigatorDlg::ShowShownRecord()
{
    m_strTimeDate = ShownText(TimeDateText(m_Shown));
    m_strName = ShownText(m_Shown.name);
    m_strMessage = ShownText(m_Shown.desc);
    m_strLockingSystem = ShownText(m_Shown.sysName);
    m_strLocking = ShownText(m_Shown.lockName);
    m_strGroupId = ShownText(m_Shown.gid);
    m_strMemberId = ShownText(m_Shown.mid);
    m_bRead = m_Shown.read;
    m_nCurrent = cur_item + 1;
    m_nTotal = max_used_item + 1;
    DoDataExchange(false);
}

// ---- User actions --------------------------------------------------------

void CNavigatorDlg::Navigate(int slot)
{
    req_item = slot;
    RefreshView();
    if (slot >= 0 && cur_item == slot)
        m_pAlerts->OnStepped(slot);
}

void CNavigatorDlg::OnNext() { Navigate(cur_item + 1); }
void CNavigatorDlg::OnPrevious() { Navigate(cur_item - 1); }
void CNavigatorDlg::OnFirst() { Navigate(max_used_item >= 0 ? 0 : -1); }
void CNavigatorDlg::OnLast() { Navigate(max_used_item); }

void CNavigatorDlg::OnRead()
{
    DoDataExchange(true);
    if (cur_item == -1) {
        m_bRead = m_bRead ? 0 : 1;
        DoDataExchange(false);
        return;
    }
    WriteBackReadBox();
    m_pAlerts->UpdateUnread();
}

// The box belongs to the record on screen. It is written back at once, not
// at the next refresh, so that a move or an arrival in between cannot drop it.
void CNavigatorDlg::WriteBackReadBox()
{
    if (!ViewMatchesShown() || m_bRead == m_Shown.read)
        return;
    if (new_arrived == 0) {
        WriteBackReadFlag(m_Shown, m_bRead != 0);
        return;
    }
    // Arrivals not yet handed over have moved cur_item (and an eviction may
    // have moved the record itself).
    const int slot = FindStoredSlot(m_Shown);
    m_Shown.read = m_bRead;
    SetReadFlagOf(slot, m_bRead);
}

void CNavigatorDlg::OnAllRead()
{
    MarkAllRead();
    m_bRead = 1;
    DoDataExchange(false);
    m_pAlerts->UpdateUnread();
}

void CNavigatorDlg::OnFileSave() { m_Lifecycle.SaveAndReport(); }

void CNavigatorDlg::OnOptions()
{
    COptionsDlg dlg(this);
    const CNavigatorOptions before = CurrentNavigatorOptions();
    dlg.m_bPop = before.pop;
    dlg.m_bBeep = before.beep;
    dlg.m_nMaxMessages = before.maxMessages;
    if (dlg.DoModal() != Accepted)
        return;
    const bool changed = ApplyNavigatorOptions({dlg.m_bBeep, dlg.m_bPop, dlg.m_nMaxMessages}, [this] {
        // An older request would name a slot that now holds another
        // record: the view stays on the newest.
        req_item = cur_item;
        m_Shown = g_Array[cur_item];
        m_nCurrent = cur_item + 1;
        m_nTotal = max_used_item + 1;
        DoDataExchange(false);
    });
    if (changed)
        RefillMonitor();
}

// ---- The Monitor -----------------------------------------------------------

void CNavigatorDlg::OnMonitor()
{
    if (!m_pMonitor) {
        m_pMonitor = new CMonitorDlg(this);
        connect(m_pMonitor, &CMonitorDlg::showNavigator, this, &QWidget::show);
        connect(m_pMonitor, &CMonitorDlg::historyRequested, this, &CNavigatorDlg::OnHistory);
    }
    m_pMonitor->FillList();
    m_pMonitor->show();
    hide();
}

void CNavigatorDlg::RefillMonitor()
{
    if (m_pMonitor)
        m_pMonitor->FillList();
}

void CNavigatorDlg::DeleteMonitor()
{
    // Later, not now: a session end can arrive while one of the Monitor's
    // own dialogs runs its loop inside a Monitor member function.
    if (m_pMonitor)
        m_pMonitor->deleteLater();
    m_pMonitor = nullptr;
}

// ---- Alerts ----------------------------------------------------------------

// The tray and the notifications bring the window forward, the File menu
// opens the Alerts dialog, and the window shows the level of the event on screen.
void CNavigatorDlg::ConnectAlerts()
{
    m_pAlerts = new CAlerts(this);
    connect(m_pAlerts, &CAlerts::showRequested, this, &CNavigatorDlg::ShowNavigator);
    connect(m_pAlerts, &CAlerts::monitorRequested, this, &CNavigatorDlg::OnMonitor);
    connect(m_pAlerts, &CAlerts::historyRequested, this, &CNavigatorDlg::OnHistory);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this), &QShortcut::activated, this,
            &CNavigatorDlg::OnHistory);
    connect(m_pAlerts, &CAlerts::allReadRequested, this, &CNavigatorDlg::OnAllRead);
    connect(m_pAlerts, &CAlerts::eventRequested, this, &CNavigatorDlg::OnShowEvent);
    connect(m_pAlerts, &CAlerts::exitRequested, this, [this] {
        // A dialog of the program still has its own loop running: leaving
        // under it would go on after the final save. Show it instead.
        if (QApplication::activeModalWidget())
            ShowNavigator();
        else
            OnExit();
    });
    // The File menu holds what the window defines until the user opens it;
    // the Alerts entry then joins it beside Save.
    connect(m_ui->menuFile, &QMenu::aboutToShow, this, &CNavigatorDlg::AddAlertsEntry, Qt::SingleShotConnection);
}

void CNavigatorDlg::StartAlerts() { m_pAlerts->Start(); }

void CNavigatorDlg::AddAlertsEntry()
{
    QMenu* file = m_ui->menuFile;
    const QList<QAction*> entries = file->actions();
    QAction* alerts = new QAction(QStringLiteral("&Alerts..."), file);
    alerts->setObjectName("actionAlerts");
    connect(alerts, &QAction::triggered, this, &CNavigatorDlg::OnAlerts);
    const qsizetype afterSave = entries.indexOf(m_ui->actionSave) + 1;
    file->insertAction(afterSave < entries.size() ? entries[afterSave] : nullptr, alerts);
    QAction* history = new QAction(QStringLiteral("&History..."), file);
    history->setObjectName("actionHistory");
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WidgetShortcut);  // the window's own shortcut serves; this one is shown
    connect(history, &QAction::triggered, this, &CNavigatorDlg::OnHistory);
    file->insertAction(afterSave < entries.size() ? entries[afterSave] : nullptr, history);
}

void CNavigatorDlg::OnAlerts() { m_pAlerts->OnAlertsDialog(); }

void CNavigatorDlg::OnHistory()
{
    if (!m_pHistory)
        m_pHistory = new CHistoryDlg(this);
    m_pHistory->ShowForward();
}

void CNavigatorDlg::ShowNavigator()
{
    showNormal();
    if (!IsHeadless()) {
        raise();
        activateWindow();
    }
}

void CNavigatorDlg::OnShowEvent(const CSimpleMessage& rec)
{
    // An event evicted since its notification can no longer be shown; the
    // window still comes forward.
    const int slot = FindStoredSlot(rec);
    if (slot >= 0)
        Navigate(slot);
    ShowNavigator();
}

// The Monitor's type text and icon of the shown event, beside the banner.
void CNavigatorDlg::ShowLevel()
{
    const bool known = cur_item != -1 && HasLevelImage(m_Shown.level);
    const QString text = known ? ToQString(TypeText(m_Shown.level)) : QString();
    QLabel* icon = m_ui->ctlLevelIcon;
    QLabel* name = m_ui->lblLevel;
    if (name->text() == text && !name->isHidden() == known)
        return;
    name->setText(text);
    icon->setPixmap(known ? LoadLevelIcons()[m_Shown.level].pixmap(kLevelIconSize) : QPixmap());
    name->setVisible(known);
    icon->setVisible(known);
}

// ---- Leaving ---------------------------------------------------------------

void CNavigatorDlg::keyPressEvent(QKeyEvent* e)
{
    // The window has no default button: Enter presses the focused button,
    // and anywhere else it is the dialog's OK, which asks before leaving.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CNavigatorDlg::accept() { OnExit(); }
void CNavigatorDlg::reject() { OnExit(); }

void CNavigatorDlg::OnExit()
{
    // No is the default: a stray Enter or Escape must not stop the receiving.
    if (ShowMessage(this, LoadStringText(IDS_EXIT_QUESTION), QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    m_Lifecycle.Exit(ExitPath::kConfirmed);
}

void CNavigatorDlg::ExitWithoutAsking()
{
    // A box or dialog open on top would keep its own loop running.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == this || !modal->close())
            break;
    }
    m_Lifecycle.ExitUnattended();
}

void CNavigatorDlg::OnCommitData(QSessionManager&) { ExitWithoutAsking(); }

void CNavigatorDlg::CloseWindow()
{
    m_pAlerts->Stop();
    DeleteMonitor();
    m_pBitmaps[0] = m_pBitmaps[1] = QPixmap();
    done(Accepted);
    if (m_pModalLoop)
        m_pModalLoop->quit();
}

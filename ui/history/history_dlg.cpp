#include "history_dlg.h"

#include <QHideEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QProgressDialog>
#include <QShortcut>

#include "app_directory.h"
#include "archive_open.h"
#include "archive_settings.h"
#include "event_details_dlg.h"
#include "export_prompt.h"
#include "history_model.h"
#include "history_row_text.h"
#include "monitor_layout.h"
#include "qt_text.h"
#include "settings.h"
#include "shell_services.h"
#include "simple_message.h"
#include "timeline_widget.h"
#include "ui_history.h"

namespace {

constexpr CLayoutNames kHistoryLayoutNames{"HistoryLeft", "HistoryTop", "HistoryWidth", "HistoryHeight",
                                           "HistoryColumnWidths"};
constexpr char kRangeSetting[] = "HistoryRange";
constexpr int kTypingMs = 200;

// The archive beside the data file; empty when there is no data folder.
std::string ArchiveBesideData()
{
    const std::string folder = GetAppDirectory();
    return folder.empty() ? std::string() : ArchivePath(folder);
}

int64_t Seconds(const QDateTime& time) { return time.toSecsSinceEpoch(); }

}  // namespace

CHistoryDlg::CHistoryDlg(QWidget* parent, std::string archivePath, size_t pageSize)
    : QDialog(parent, Qt::Window), m_ui(std::make_unique<Ui::CHistoryDlg>())
{
    m_ui->setupUi(this);
    if (archivePath.empty())
        archivePath = ArchiveBesideData();

    CHistorySinks sinks;
    sinks.archiveState = [this](uint64_t gen, EArchiveState state, const std::string& why) {
        ShowArchiveState(gen, state, why);
    };
    sinks.page = [this](uint64_t gen, size_t page, std::vector<CHistoryRow> rows, CHistoryKey last) {
        if (gen == m_nGen)
            m_pModel->StorePage(page, std::move(rows), last);
        if (gen == m_nGen && page == 0 && !m_bCounted)
            ShowCount();
    };
    sinks.counted = [this](uint64_t gen, int64_t count, std::vector<CHistoryKey> ends) {
        if (gen != m_nGen)
            return;
        m_pModel->SetCount(count, ends);
        m_bCounted = true;
        ShowCount();
    };
    sinks.timeline = [this](uint64_t gen, std::vector<CTimelineBucket> buckets, ETimelineUnit unit) {
        if (gen != m_nGen)
            return;
        // An open range shows the span of the archive's events.
        if (!buckets.empty() && (!m_Range.m_nFrom || !m_Range.m_nTo)) {
            m_bShowingRange = true;
            m_ui->m_dtFrom->setDateTime(QDateTime::fromSecsSinceEpoch(m_Range.m_nFrom.value_or(buckets.front().m_nStart)));
            m_ui->m_dtTo->setDateTime(QDateTime::fromSecsSinceEpoch(m_Range.m_nTo.value_or(buckets.back().m_nEnd - 1)));
            m_bShowingRange = false;
        }
        m_ui->m_Timeline->SetBuckets(std::move(buckets), unit);
        m_bTimelined = true;
    };
    sinks.exportProgress = [this](int64_t rows) {
        if (m_pProgress)
            m_pProgress->setValue(static_cast<int>(std::min<int64_t>(rows, m_pProgress->maximum())));
    };
    sinks.exportDone = [this](bool cancelled, ReplaceResult result) { OnExportDone(cancelled, result); };
    sinks.receivedText = [this](int64_t seq, std::string text) {
        if (!m_DetailsRow || m_DetailsRow->m_nSeq != seq)
            return;
        CSimpleMessage rec;
        rec.Parse(text);
        auto* details = new CEventDetailsDlg(this);
        details->setAttribute(Qt::WA_DeleteOnClose);
        details->ShowEvent(rec);
        details->EnableSteps(false, false);
        details->ShowArchived(ToQString(HistoryCellText(*m_DetailsRow, kHistArrival)),
                              ToQString(HistoryCellText(*m_DetailsRow, kHistSender)));
        details->show();
    };
    m_pWorker = std::make_unique<CHistoryWorker>(std::move(archivePath), this, std::move(sinks), pageSize);

    m_pModel = new CHistoryModel(
        pageSize, [this](size_t page, std::optional<CHistoryKey> after) { m_pWorker->FetchPage(m_nGen, page, after); },
        this);
    QTableView* list = m_ui->m_List;
    list->setModel(m_pModel);
    list->setIconSize(QSize(15, 15));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setWordWrap(false);
    QHeaderView* header = list->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(kHistEventTime, Qt::DescendingOrder);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (auto [column, width] : {std::pair{int(kHistLevel), 110}, {kHistDescription, 260}, {kHistLocking, 140},
                                 {kHistLockingSystem, 120}, {kHistEventTime, 140}, {kHistTransponder, 120},
                                 {kHistName, 120}, {kHistArrival, 140}, {kHistSender, 120}})
        header->resizeSection(column, width);
    connect(header, &QHeaderView::sectionClicked, this, &CHistoryDlg::OnHeaderClicked);
    connect(list, &QAbstractItemView::doubleClicked, this, &CHistoryDlg::OnDetails);
    list->installEventFilter(this);

    m_Typing.setSingleShot(true);
    m_Typing.setInterval(kTypingMs);
    connect(&m_Typing, &QTimer::timeout, this, &CHistoryDlg::Requery);
    for (QLineEdit* field : {m_ui->m_edtSearch, m_ui->m_edtLocking, m_ui->m_edtTransponder})
        connect(field, &QLineEdit::textChanged, &m_Typing, qOverload<>(&QTimer::start));
    for (QCheckBox* box : {m_ui->m_chkMessage, m_ui->m_chkWarning, m_ui->m_chkAlarm, m_ui->m_chkRefused})
        connect(box, &QCheckBox::toggled, this, &CHistoryDlg::Requery);
    for (QDateTimeEdit* field : {m_ui->m_dtFrom, m_ui->m_dtTo})
        connect(field, &QDateTimeEdit::dateTimeChanged, this, [this] {
            if (!m_bShowingRange)
                OnRangeEdited();
        });
    connect(m_ui->m_cmbRange, qOverload<int>(&QComboBox::activated), this, &CHistoryDlg::ApplyPreset);
    connect(m_ui->m_Timeline, &CTimelineWidget::rangeChosen, this, &CHistoryDlg::NarrowTo);
    connect(m_ui->m_btnBack, &QPushButton::clicked, this, &CHistoryDlg::OnBack);
    connect(m_ui->m_btnSave, &QPushButton::clicked, this, &CHistoryDlg::OnSave);
    connect(m_ui->m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this), &QShortcut::activated, this, &CHistoryDlg::OnSave);
    m_ui->m_btnBack->setEnabled(false);

    m_pLayout = std::make_unique<CMonitorLayout>(this, header, kHistoryLayoutNames);
    m_pLayout->Restore();
    const int preset = ReadSettingDword(kRangeSetting, kToday);
    m_nStartPreset = preset >= kToday && preset <= kEverything ? preset : kToday;
    StartFromPreset();
}

// "Today" and the others are taken from the clock each time the window
// opens; a range narrowed or typed was for the last look only.
void CHistoryDlg::StartFromPreset()
{
    ApplyPreset(m_nStartPreset);
    m_Back.clear();
    m_ui->m_btnBack->setEnabled(false);
}

CHistoryDlg::~CHistoryDlg()
{
    if (isVisible())
        m_pLayout->Save();
    // The worker goes first: its answers are for this window.
    m_pWorker.reset();
}

CTimelineWidget* CHistoryDlg::Timeline() const { return m_ui->m_Timeline; }
QTableView* CHistoryDlg::List() const { return m_ui->m_List; }
QLabel* CHistoryDlg::Status() const { return m_ui->m_lblStatus; }

void CHistoryDlg::ShowForward()
{
    const bool wasShown = isVisible();
    if (!wasShown)
        m_pLayout->RestorePlace();
    showNormal();
    if (!IsHeadless()) {
        raise();
        activateWindow();
    }
    // The first look shows what the constructor asked for; a later one
    // starts again from the preset, with what arrived meanwhile.
    if (!wasShown && m_bShownBefore)
        StartFromPreset();
    m_bShownBefore = true;
}

// Closed by the close box, Escape or the program: each hides the window.
void CHistoryDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Minimising is not closing.
    if (event->spontaneous())
        return;
    m_pLayout->Save();
    // A range chosen on the timeline is for this look only; the preset it
    // was narrowed from is the one to start with next time.
    int preset = m_Range.m_nPreset;
    for (auto back = m_Back.rbegin(); preset < 0 && back != m_Back.rend(); ++back)
        preset = back->m_nPreset;
    if (preset >= 0) {
        m_nStartPreset = preset;
        WriteSettingDword(kRangeSetting, preset);
    }
    // Nothing is asked of the archive until the window is shown again, and
    // what is running or waiting stops.
    m_Typing.stop();
    m_pWorker->Supersede(++m_nGen);
    m_pWorker->CloseArchive();
}

bool CHistoryDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->m_List && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnDetails();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CHistoryDlg::ApplyPreset(int preset)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = now.date();
    const auto midnight = [](QDate day) { return Seconds(QDateTime(day, QTime(0, 0))); };
    const int64_t endOfToday = midnight(today.addDays(1)) - 1;
    CRange range;
    switch (preset) {
    case kToday: range = {midnight(today), endOfToday}; break;
    case kLast7Days: range = {midnight(today.addDays(-6)), endOfToday}; break;
    case kLast30Days: range = {midnight(today.addDays(-29)), endOfToday}; break;
    case kThisYear: range = {midnight(QDate(today.year(), 1, 1)), midnight(QDate(today.year() + 1, 1, 1)) - 1}; break;
    default: break;  // Everything: no bounds
    }
    range.m_nPreset = preset;
    SetRange(range, true);
}

void CHistoryDlg::SetRange(const CRange& range, bool keepForBack)
{
    if (keepForBack && !(range == m_Range)) {
        m_Back.push_back(m_Range);
        m_ui->m_btnBack->setEnabled(true);
    }
    m_Range = range;
    ShowRangeInFields();
    m_ui->m_cmbRange->setCurrentIndex(range.m_nPreset);
    Requery();
}

void CHistoryDlg::ShowRangeInFields()
{
    m_bShowingRange = true;
    if (m_Range.m_nFrom)
        m_ui->m_dtFrom->setDateTime(QDateTime::fromSecsSinceEpoch(*m_Range.m_nFrom));
    if (m_Range.m_nTo)
        m_ui->m_dtTo->setDateTime(QDateTime::fromSecsSinceEpoch(*m_Range.m_nTo));
    m_bShowingRange = false;
}

void CHistoryDlg::OnRangeEdited()
{
    // The fields hold what was typed; the range follows them after the pause.
    CRange range{Seconds(m_ui->m_dtFrom->dateTime()), Seconds(m_ui->m_dtTo->dateTime())};
    if (range == m_Range)
        return;
    m_ui->m_cmbRange->setCurrentIndex(-1);
    // One edit, however many keys it took, is one step back.
    if (!m_Typing.isActive()) {
        m_Back.push_back(m_Range);
        m_ui->m_btnBack->setEnabled(true);
    }
    m_Range = range;
    m_Typing.start();
}

void CHistoryDlg::NarrowTo(int64_t from, int64_t to) { SetRange({from, to}, true); }

void CHistoryDlg::OnBack()
{
    if (m_Back.empty())
        return;
    const CRange previous = m_Back.back();
    m_Back.pop_back();
    m_ui->m_btnBack->setEnabled(!m_Back.empty());
    SetRange(previous, false);
}

CHistoryFilter CHistoryDlg::CurrentFilter() const
{
    CHistoryFilter filter;
    filter.m_nFrom = m_Range.m_nFrom;
    filter.m_nTo = m_Range.m_nTo;
    filter.m_nLevels = (m_ui->m_chkMessage->isChecked() ? kHistoryMessages : 0u) |
                       (m_ui->m_chkWarning->isChecked() ? kHistoryWarnings : 0u) |
                       (m_ui->m_chkAlarm->isChecked() ? kHistoryAlarms : 0u);
    // The archive holds its texts in UTF-8, whatever the system's code page.
    filter.m_strSearch = m_ui->m_edtSearch->text().toStdString();
    filter.m_strLockingContains = m_ui->m_edtLocking->text().toStdString();
    filter.m_strTransponderContains = m_ui->m_edtTransponder->text().toStdString();
    filter.m_bIncludeRefused = m_ui->m_chkRefused->isChecked();
    filter.m_eSortKey = m_eSortKey;
    filter.m_bNewestFirst = m_bNewestFirst;
    return NormalizedFilter(filter);
}

void CHistoryDlg::Requery()
{
    m_Typing.stop();
    ++m_nGen;
    m_bCounted = m_bTimelined = false;
    m_pWorker->Supersede(m_nGen);
    m_pModel->Reset();
    m_ui->m_Timeline->SetBuckets({}, ETimelineUnit::Day);
    m_ui->m_lblStatus->setText(QStringLiteral("Searching…"));
    m_pWorker->Run(m_nGen, CurrentFilter());
}

void CHistoryDlg::ShowArchiveState(uint64_t gen, EArchiveState state, const std::string& why)
{
    if (gen != m_nGen)
        return;
    QString text;
    switch (state) {
    case EArchiveState::Missing:
        text = gArchive == 0 ? QStringLiteral("The event archive is off (gArchive=0): no events are kept for History.")
                             : QStringLiteral("There is no event archive yet: History lists events once one is kept.");
        break;
    case EArchiveState::Unreadable:
    case EArchiveState::Failed:
        text = QStringLiteral("The event archive cannot be read: ") + QString::fromStdString(why);
        break;
    }
    m_bCounted = m_bTimelined = true;
    m_pModel->Reset();
    m_ui->m_lblStatus->setText(text);
}

void CHistoryDlg::ShowCount()
{
    const int64_t count = m_pModel->Count();
    if (!m_pModel->CountKnown() && count >= static_cast<int64_t>(m_pModel->Pages().PageSize()))
        return;  // the first page is full: more are coming
    m_ui->m_lblStatus->setText(count == 1 ? QStringLiteral("1 event")
                                          : QLocale(QLocale::English).toString(qlonglong(count)) + " events");
}

void CHistoryDlg::OnHeaderClicked(int column)
{
    QHeaderView* header = m_ui->m_List->horizontalHeader();
    if (column != kHistEventTime && column != kHistArrival) {
        // Only the two times order the archive; the indicator stays on them.
        header->setSortIndicator(m_eSortKey == EHistorySortKey::EventTime ? kHistEventTime : kHistArrival,
                                 m_bNewestFirst ? Qt::DescendingOrder : Qt::AscendingOrder);
        return;
    }
    const EHistorySortKey key = column == kHistEventTime ? EHistorySortKey::EventTime : EHistorySortKey::Arrival;
    m_bNewestFirst = key == m_eSortKey ? !m_bNewestFirst : true;
    m_eSortKey = key;
    header->setSortIndicator(column, m_bNewestFirst ? Qt::DescendingOrder : Qt::AscendingOrder);
    Requery();
}

void CHistoryDlg::OnDetails()
{
    const QModelIndex current = m_ui->m_List->currentIndex();
    if (!current.isValid())
        return;
    if (const CHistoryRow* row = m_pModel->RowAt(current.row())) {
        m_DetailsRow = *row;
        m_pWorker->ReadText(row->m_nSeq);
    }
}

void CHistoryDlg::OnSave()
{
    if (m_pProgress)
        return;
    const QString path = ShellServices().choosePath(this, ExportSaveAsRequest());
    if (path.isEmpty())
        return;
    const QString target = ExportTarget(path);
    if (target.isEmpty()) {
        ShowMessage(this, ExportFailureText(ReplaceResult::OpenFailed, path));
        return;
    }
    m_strExportPath = path;
    m_pProgress = new QProgressDialog(QStringLiteral("Saving the events…"), QStringLiteral("Cancel"), 0,
                                      static_cast<int>(std::max<int64_t>(1, m_pModel->Count())), this);
    m_pProgress->setWindowModality(Qt::WindowModal);
    m_pProgress->setMinimumDuration(500);
    m_pProgress->setAutoClose(false);
    m_pProgress->setAutoReset(false);
    connect(m_pProgress, &QProgressDialog::canceled, this, [this] { m_pWorker->CancelExport(); });
    m_pWorker->Export(CurrentFilter(), QFile::encodeName(target).toStdString());
}

void CHistoryDlg::OnExportDone(bool cancelled, ReplaceResult result)
{
    if (m_pProgress) {
        m_pProgress->hide();
        m_pProgress->deleteLater();
        m_pProgress = nullptr;
    }
    if (!cancelled && result != ReplaceResult::Replaced)
        ShowMessage(this, ExportFailureText(result, m_strExportPath));
}

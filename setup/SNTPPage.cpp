#include "SNTPPage.h"

#include "AdjustNow.h"
#include "resource.h"

#include "../common/windows/SettingsWriter.h"
#include "../common/sntp/SntpExchange.h"
#include "../common/windows/SntpStatus.h"

#include <commctrl.h>
#include <climits>
#include <cstring>
#include <initializer_list>

namespace {

// Posted by the button's exchange when it has ended.
constexpr UINT AdjustNowEndedMessage = WM_APP + 1;
// Reads the stored outcome again while the page is open: the plug-in's scheduled exchanges store
// theirs meanwhile.
constexpr UINT_PTR StatusTimer = 1;
constexpr UINT StatusEveryMs = 2000;

}  // namespace

CSNTPPage::CSNTPPage() : CPropertyPage(IDD_SNTP) {}

CSNTPPage::~CSNTPPage()
{
    LetGoOfRun();
}

void CSNTPPage::DoDataExchange(CDataExchange& dx)
{
    dx.Check(IDX_NTP_USE, useSntp_);
    dx.UInt(IDE_NTP_ACCURACY, accuracy_, RangeOf(&Settings::Accuracy), "精度");
    dx.Text(IDE_NTP_SERVER, server_);
    dx.UInt(IDE_NTP_TIMEOUT, timeOut_, RangeOf(&Settings::TimeOut), "ﾀｲﾑｱｳﾄ");
    dx.Check(IDX_NTP_RUN_SERVER, runServer_);  // hidden: passes through unchanged
}

void CSNTPPage::ApplyEnabling()
{
    for (int id : {IDT_NTP_SERVER, IDE_NTP_SERVER, IDT_NTP_TIMEOUT, IDE_NTP_TIMEOUT, IDT_NTP_TIMEOUT_UNIT,
                   IDU_NTP_TIMEOUT, IDT_NTP_ACCURACY, IDE_NTP_ACCURACY, IDT_NTP_ACCURACY_UNIT, IDU_NTP_ACCURACY})
        EnableItem(id, useSntp_ != 0);
}

void CSNTPPage::MasterClicked()
{
    UpdateData(true);
    ApplyEnabling();
    SetModified(true);
}

BOOL CSNTPPage::OnInitDialog()
{
    useSntp_ = settings->UseSNTP;
    accuracy_ = static_cast<uint32_t>(settings->Accuracy);
    timeOut_ = static_cast<uint32_t>(settings->TimeOut);
    runServer_ = settings->RunSNTPServer;
    if (settings->SNTPServer)
        server_.Assign(settings->SNTPServer.Get());
    UpdateData(false);
    SetSpinRange(IDU_NTP_TIMEOUT, RangeOf(&Settings::TimeOut));
    SetSpinRange(IDU_NTP_ACCURACY, RangeOf(&Settings::Accuracy));
    // As a click on the master switch: the page counts as changed from the start.
    MasterClicked();
    ShowStoredOutcome();
    SetTimer(window_, StatusTimer, StatusEveryMs, nullptr);
    return TRUE;
}

void CSNTPPage::ShowStoredOutcome()
{
    SntpOutcome outcome;
    bool stored = ReadSntpStatus(&outcome);
    TextBuffer line;
    SntpStatusLine(stored ? &outcome : nullptr, line);
    // Unchanged, the text is left alone: a reader of the screen is not told it again.
    char shown[512] = "";
    GetDlgItemTextA(window_, IDT_NTP_STATUS, shown, sizeof shown);
    if (std::strcmp(shown, line.c_str()) != 0)
        SetDlgItemTextA(window_, IDT_NTP_STATUS, line.c_str());
}

// One exchange with the server, time-out and accuracy now in the fields (read and checked as leaving the
// page would), whether or not the master switch is on.
void CSNTPPage::AdjustNowClicked()
{
    if (run_ || !UpdateData(true))
        return;
    int timeoutSeconds = timeOut_ > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(timeOut_);
    int accuracyMs = accuracy_ > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(accuracy_);
    run_ = AdjustNow::Start(window_, AdjustNowEndedMessage, server_.c_str(), timeoutSeconds, accuracyMs);
    TextBuffer line;
    if (!run_) {
        SntpOutcome outcome;
        outcome.SetServer(server_.c_str());
        StampSntpOutcome(SystemSntpClock(), &outcome);
        SntpStatusLine(&outcome, line);
    } else {
        SntpRunningLine(timeoutSeconds, line);
        // A disabled button cannot keep the focus: it goes on to the next control first, or the
        // sheet would take no keys until the user clicks.
        if (GetFocus() == Item(IDB_NTP_ADJUST_NOW))
            SendMessageA(GetParent(window_), WM_NEXTDLGCTL, 0, FALSE);
        EnableItem(IDB_NTP_ADJUST_NOW, false);
    }
    SetDlgItemTextA(window_, IDT_NTP_STATUS, line.c_str());
}

void CSNTPPage::AdjustNowEnded()
{
    if (!run_)
        return;
    TextBuffer line;
    SntpStatusLine(&run_->Outcome(), line);
    LetGoOfRun();
    SetDlgItemTextA(window_, IDT_NTP_STATUS, line.c_str());
    EnableItem(IDB_NTP_ADJUST_NOW, true);
}

void CSNTPPage::LetGoOfRun()
{
    if (run_)
        run_->Release();
    run_ = nullptr;
}

bool CSNTPPage::OnMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message == AdjustNowEndedMessage) {
        AdjustNowEnded();
        return true;
    }
    if (message == WM_TIMER && wParam == StatusTimer) {
        // The button's own exchange shows its progress until it ends.
        if (!run_)
            ShowStoredOutcome();
        return true;
    }
    if (message == WM_DESTROY) {
        KillTimer(window_, StatusTimer);
        LetGoOfRun();  // the exchange goes on alone and stores its outcome
    }
    return false;
}

bool CSNTPPage::OnApply(DWORD* error)
{
    UpdateData(true);
    settings->UseSNTP = useSntp_;
    settings->SetServer(server_.c_str());  // after this the record always holds a text
    settings->Accuracy = static_cast<int32_t>(accuracy_);
    settings->TimeOut = static_cast<int32_t>(timeOut_);
    settings->RunSNTPServer = runServer_;
    return SaveSettings(*settings, error) != 0;
}

bool CSNTPPage::OnCommand(int id, int code)
{
    if (code == BN_CLICKED && id == IDX_NTP_USE) {
        MasterClicked();
        return true;
    }
    if (code == BN_CLICKED && id == IDB_NTP_ADJUST_NOW) {
        AdjustNowClicked();
        return true;
    }
    if (code == BN_CLICKED && id == IDX_NTP_RUN_SERVER) {
        MarkChanged();
        return true;
    }
    if (code == EN_CHANGE && (id == IDE_NTP_SERVER || id == IDE_NTP_TIMEOUT || id == IDE_NTP_ACCURACY)) {
        MarkChanged();
        return true;
    }
    return false;
}

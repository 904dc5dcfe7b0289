#include "Chronel.h"

#include "../common/pure/Allocation.h"
#include "LogLines.h"
#include "LogQueue.h"

Chronel* Chronel::current_ = nullptr;

Chronel::Chronel(LoadedRecord& loaded, const ScheduleEntry& startTime)
    : loaded(loaded), daily(loaded), outbox(SystemFileCalls, loaded.Scan),
      schedule(loaded, daily, moved, menus, outbox, startTime)
{
}

bool Chronel::StartUp(LoadedRecord& loaded)
{
    // Started again without a clean-up (during a run): the run is over, and its window goes back
    // first.
    if (Chronel* earlier = current_) {
        current_ = nullptr;
        earlier->End(true);
        earlier->Release();
    }
    // One reading of the clock for the whole start-up.
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int64_t present = LocalMinuteOf(now);
    Chronel* chronel = new (NoThrow) Chronel(loaded, ScheduleEntry(now.wHour, now.wMinute));
    if (!chronel)
        return false;
    current_ = chronel;
    chronel->schedule.Start(loaded.Settings.AutoStart != 0, present);
    const ScheduleView shown = chronel->schedule.View();
    chronel->menus.Publish(shown);
    chronel->daily.RegisterSteps(ConnectStep, DisconnectStep);
    StartLogWriter();
    LogPluginStarted(shown);
    chronel->schedule.StartTimer(OnTimer, present);
    return true;
}

int Chronel::End(bool viaTray)
{
    // Not left off the screen for the host to store as the window's place.
    moved.PutBack(viaTray);
    outbox.Stop();
    ended_ = true;
    return schedule.StopTimer();
}

int Chronel::CleanUp()
{
    Chronel* chronel = current_;
    if (!chronel)
        return 0;
    current_ = nullptr;
    chronel->schedule.Stop();
    chronel->menus.Publish(chronel->schedule.View());
    int killed = chronel->End(false);
    chronel->Release();
    return killed;
}

void Chronel::Release()
{
    if (calls_ == 0)
        delete this;
}

ChronelCall::ChronelCall() : chronel_(Chronel::current_)
{
    if (chronel_)
        ++chronel_->calls_;
}

ChronelCall::~ChronelCall()
{
    if (chronel_ && --chronel_->calls_ == 0 && chronel_->ended_)
        delete chronel_;
}

int __stdcall OnTimer(int, int)
{
    ChronelCall chronel;
    // A tick the host had already taken from its queue at clean-up: the plug-in's work is over.
    if (!chronel)
        return 1;
    return chronel->schedule.Tick(ReadClock());
}

int __stdcall OnScheduleMenu(HWND, LPARAM)
{
    ChronelCall chronel;
    if (chronel)
        chronel->schedule.Switch(PresentMinute());
    return 0;
}

int __stdcall ConnectStep(HWND, LPARAM)
{
    ChronelCall chronel;
    if (chronel)
        chronel->daily.ConnectStep();
    return 0;
}

int __stdcall DisconnectStep(HWND, LPARAM)
{
    ChronelCall chronel;
    if (chronel)
        chronel->daily.DisconnectStep();
    return 0;
}

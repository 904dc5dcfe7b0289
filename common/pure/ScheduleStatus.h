#pragma once
// What chronel publishes of its schedule for the status window, under
// HKCU\Software\Quor\ChronelPlug\Status beside the clock adjustment's outcome, whenever it changes:
//   ScheduleRunning  REG_DWORD  1 while the schedule is armed or running, 0 while it is stopped
//   NextEvent        REG_DWORD  the next event as a local minute (minutes of wall-clock time since
//                               1970-01-01 00:00), NoNextEvent for none
//   NextAround       REG_DWORD  1 when the next event is a patrol receive
// and what the editor publishes for chronel:
//   OutboxChanged    REG_DWORD  a count the status window steps each time it rewrites a held
//                               message's reservation; chronel's scan then reads every outbox anew

#include <cstdint>

constexpr char ScheduleRunningValue[] = "ScheduleRunning";
constexpr char NextEventValue[] = "NextEvent";
constexpr char NextAroundValue[] = "NextAround";
constexpr char OutboxChangedValue[] = "OutboxChanged";
constexpr char StatusKeyPath[] = "Software\\Quor\\ChronelPlug\\Status";
constexpr uint32_t NoNextEvent = 0xFFFFFFFFu;

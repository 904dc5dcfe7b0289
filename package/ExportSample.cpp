// Writes the release's sample settings file with the editor's own export: a weekday schedule,
// daily connect and disconnect, send reservation and clock adjustment switched on.
#include "../common/windows/SettingsWriter.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_sample OUTPUT.reg\n");
        return 64;
    }
    Settings settings;
    for (int day = 0; day < 7; ++day)
        settings.Schedule[day].SetDayName(WeekdayNames[day]);
    for (int day = 1; day <= 5; ++day) {
        settings.Schedule[day].AddEntry(7, 30, 1, 1, 1);   // patrol receive, clock set, every weekday
        settings.Schedule[day].AddEntry(12, 0, 1, 0, 0);
        settings.Schedule[day].AddEntry(18, 15, 1, 0, 0);
    }
    settings.Schedule[6].AddEntry(9, 0, 0, 1, 0);
    settings.Connect = 1;
    settings.ConnectHour = 7;
    settings.ConnectMinute = 25;
    settings.DisConnect = 1;
    settings.DisConnectHour = 18;
    settings.DisConnectMinute = 30;
    settings.AutoStart = 1;
    settings.ShortCut = 'X';
    settings.AutoDistribute = 1;
    settings.UseReserve = 1;
    settings.ChangeDate = 0;
    settings.PreSec = 0;
    settings.PostSec = 60;
    settings.ReserveMark = 1;
    settings.UseSNTP = 1;
    settings.SetServer("ntp.nict.jp");
    settings.TimeOut = 10;
    settings.Accuracy = 200;
    return ExportSettings(settings, argv[1]) ? 0 : 1;
}

#pragma once

#define IDD_ABOUT 100
#define IDD_RESERVE 101
#define IDT_ABOUT_PLUGIN 1000
#define IDT_ABOUT_EDITOR 1001

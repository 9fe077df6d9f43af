// How often the agent's and its window's timers fire, in milliseconds.
#pragma once

struct CTimerPeriods {
    int refresh = 5000;   // the window's view and banner
    int save = 300000;    // the data file
    int drain = 500;      // intake into the store
    int alarmRepeat = 0;  // 0: the interval the user chose
};

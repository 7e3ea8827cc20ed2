// Resource ids of the executable. Shared by the resource script and the code that loads them.
#ifndef SHELL_RESOURCE_H_
#define SHELL_RESOURCE_H_

// Icon group of the main window class and the executable's own icon (the lowest id is the one
// the shell shows for the file).
#define IDI_APP_ICON 101
// Icon group of every pop-out phone window (big and small icon).
#define IDI_PHONE_WINDOW_ICON 102

#endif  // SHELL_RESOURCE_H_

// Resource identifiers shared by the window and the resource script.
#pragma once

#define IDI_DRAVOSK 1
#define IDB_PICTURE 101

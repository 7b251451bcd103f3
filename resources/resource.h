#pragma once
// Resource identifiers shared by the resource script and the window code.
#define IDI_INSTALL 1
#define IDR_BANNER 101

#pragma once
// The ids of the texts every language's string table holds (resources/lang/*.rc), for the code and
// for the resource compiler alike. A new text takes the next id and goes into every table.

// The window: its frames, labels and button, and its system menu's items.
#define IDS_MOD_INFO 1024
#define IDS_GAME_FOLDER 1025
#define IDS_SELECT_GAME_FOLDER 1026
#define IDS_COMPLETE_INSTALL 1027
#define IDS_INSTALL_MOD 1028
#define IDS_AUTHOR 1029
#define IDS_MOD_FEATURES 1030
#define IDS_INSTALL_ONTO_THE_ORIGINAL 1031
#define IDS_RESTORE_FROM_BACKUP 1032
#define IDS_INSTALLED_HERE 1033
#define IDS_INSTALLED_HERE_AND_ONE_MORE 1034
#define IDS_INSTALLED_HERE_AND_MORE 1035

// The boxes the window shows of its own: the description, the lists, the mod's folder.
#define IDS_FILE_NOT_FOUND_TITLE 1036
#define IDS_FILE_NOT_FOUND 1037
#define IDS_FOLDER_NOT_OPENED_TITLE 1038
#define IDS_FOLDER_CANT_BE_READ 1039
#define IDS_DRIVE_NOT_READY_TITLE 1040
#define IDS_DRIVE_CANT_BE_READ 1041
#define IDS_NAME_NEEDS_PLAIN_LETTERS 1042
#define IDS_UNPACK_FIRST_TITLE 1043
#define IDS_UNPACK_FIRST 1044
#define IDS_MOD_FOLDER_NOT_USABLE_TITLE 1045
#define IDS_MOD_FOLDER_NOT_USABLE 1046

// Interrupted install
#define IDS_INTERRUPTED_HERE 1047
#define IDS_LAST_INSTALL_INTERRUPTED_TITLE 1048
#define IDS_LAST_INSTALL_INTERRUPTED 1049

// Resource identifiers of the module: dialogs, controls, strings and icons.
#pragma once

// Dialogs
#define IDD_CONFIG 2003

// Controls of the configuration dialog
#define IDC_BACKGROUND_BLACK 1003
#define IDC_BACKGROUND_BLUE 1004
#define IDC_BACKGROUND_WHITE 1005
#define IDC_BACKGROUND_DESKTOP 1006
#define IDC_CHANGE_TIME 1007
#define IDC_MOVE_ON 1008
#define IDC_MOVE_OFF 1009
#define IDC_PICTURES 1010
#define IDC_ORDER_SEQUENTIAL 1011
#define IDC_ORDER_RANDOM 1012
#define IDC_SCALE 1013
#define IDC_SPEED 1014
#define IDC_STYLE 1015
#define IDC_CHANGE_POS 1016
#define IDC_WIPE_EFFECT 1017
#define IDC_SIZE_ORIGINAL 1018
#define IDC_SIZE_SCREEN 1019
#define IDC_PROPORTIONAL 1020
#define IDC_CENTERED 1021
#define IDC_BACKGROUND_BITMAP 1022
#define IDC_BROWSE_BITMAP 1023
#define IDC_BACKGROUND_GRADIENT 1024
#define IDC_BROWSE_MIDI 1025
#define IDC_PLAY_MIDI 1026
#define IDC_BITMAP_FILE 1027
#define IDC_COLOR_FROM 1028
#define IDC_COLOR_TO 1030
#define IDC_MIDI_FILE 1032
#define IDC_BROWSE_WAVE 1033
#define IDC_WAVE_FILE 1034
#define IDC_PLAY_WAVE 1035
#define IDC_LOOP_MIDI 1036
#define IDC_TILES 1037

// Strings
#define IDS_DESCRIPTION 1

// Icons (the class asks for 100, which the module deliberately does not carry)
#define IDI_CLASS_ICON 100
#define IDI_SAVER 103

#pragma once
// Identifiers of the resources compiled into HALCYRA.exe: the main and preferences dialogs with
// their controls, the menu and its commands, the accelerator table and the icon. Read by the
// resource compiler and by the program, so only #defines live here.

// The program's name: the main window's title, by which a second start finds it, and the title of
// the program's own boxes.
#define HALCYRA_PROGRAM_TITLE "HALCYRA"

// Accelerator table and resources.
#define IDR_ACCELERATORS 40000
#define IDD_MAIN 40001
#define IDD_PREFERENCES 40002
#define IDI_HALCYRA 40003
#define IDR_MAIN_MENU 40004

// Menu commands.
#define IDM_ABOUT 40005
#define IDM_PREFERENCES 40006
#define IDM_QUIT 40007
#define IDM_READ_MANUAL 40008
#define IDM_LIVE_EDIT 40025
#define IDM_SHOW_DRAWN_AREA 40026
#define IDM_SHOW_FPS 40027
#define IDM_SHOW_CONTROL_BOUNDS 40028
#define IDM_SAVE_SCREENSHOT 40029

// Preferences dialog controls; labels and group boxes carry no identifier of their own.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_DRIVER 40009
#define IDC_AUDIO_INPUT_DEVICE 40010
#define IDC_AUDIO_OUTPUT_DEVICE 40011
#define IDC_BUFFER_SIZE 40012
#define IDC_SAMPLE_RATE 40013
#define IDC_FIRST_INPUT_CHANNEL 40014
#define IDC_SECOND_INPUT_CHANNEL 40015
#define IDC_SECOND_OUTPUT_CHANNEL 40016
#define IDC_FIRST_OUTPUT_CHANNEL 40017
#define IDC_MIDI_INPUT_PORT 40018
#define IDC_MIDI_OUTPUT_PORT 40019
#define IDC_MIDI_INPUT_CHANNEL 40020
#define IDC_MIDI_OUTPUT_CHANNEL 40021
#define IDC_DRIVER_CONFIG 40022
#define IDC_APPLY 40024

// Numbers of the module's own resources, shared by the code and the resource
// script.
#pragma once

// String table: default tag texts, then names relative to the host folder.
#define IDS_UNKNOWN_TITLE 1
#define IDS_UNKNOWN_ARTIST 2
#define IDS_UNKNOWN_ALBUM 3
#define IDS_UNKNOWN_COMMENT 4
#define IDS_UNKNOWN_GENRE 5
#define IDS_RULE_FILE 6
#define IDS_DEFAULT_TEMPLATE 7
#define IDS_SETTINGS_FILE 8

// Dialogs.
#define IDD_RULE_LIST 4000
#define IDD_CONDITION 4001

// Controls of the rule list dialog.
#define IDC_RULE_LIST 4000
#define IDC_ADD 4001
#define IDC_DELETE 4002

// Controls of the condition dialog.
#define IDC_CONDITION_TYPE 4003
#define IDC_CONDITION_VALUE 4004
#define IDC_TEMPLATE_PATH 4005
#define IDC_BROWSE 4006

// The caption file's settings: the button in the rule list dialog, its own
// dialog and that dialog's controls.
#define IDC_CAPTION_SETTINGS 4100
#define IDD_CAPTION 4101
#define IDC_CAPTION_FILE 4102
#define IDC_CAPTION_FILE_BROWSE 4103
#define IDC_IDLE_TEMPLATE 4104
#define IDC_IDLE_TEMPLATE_BROWSE 4105
#define IDC_PAUSED_TRACK 4106
#define IDC_PAUSED_IDLE 4107
#define IDC_CAPTION_TEMPLATE 4108
#define IDC_CAPTION_TEMPLATE_BROWSE 4109

// The OBS output's settings: the button in the rule list dialog, its own
// dialog and that dialog's controls.
#define IDC_OBS_SETTINGS 4110
#define IDD_OBS 4111
#define IDC_OBS_ADDRESS 4112
#define IDC_OBS_PASSWORD 4113
#define IDC_OBS_SOURCE 4114
#define IDC_OBS_TEMPLATE 4115
#define IDC_OBS_TEMPLATE_BROWSE 4116

// The rule list dialog's status lines, one per output that is on, below its
// other controls.
#define IDC_STATUS_FIRST 4120
#define IDC_STATUS_COUNT 5

// The overlay page's settings: the button in the rule list dialog, its own
// dialog and that dialog's controls.
#define IDC_OVERLAY_SETTINGS 4130
#define IDD_OVERLAY 4131
#define IDC_OVERLAY_PORT 4132
#define IDC_OVERLAY_TEMPLATE 4133
#define IDC_OVERLAY_TEMPLATE_BROWSE 4134
#define IDC_OVERLAY_STYLE 4135
#define IDC_OVERLAY_STYLE_BROWSE 4136
#define IDC_OVERLAY_SHOW_FOR 4137

// The cover picture's settings: the button in the rule list dialog, its own
// dialog and that dialog's controls.
#define IDC_COVER_SETTINGS 4140
#define IDD_COVER 4141
#define IDC_COVER_FILE 4142
#define IDC_COVER_FILE_BROWSE 4143
#define IDC_COVER_NONE 4144
#define IDC_COVER_NONE_BROWSE 4145
#define IDC_COVER_OBS_SOURCE 4146
#define IDC_COVER_ON_PAGE 4147

// Resource type of a dialog's initial control data, named like its dialog:
// entries of control id, message and data, sent to the controls when the
// dialog is created (the layout MFC's resource editor wrote).
#define RT_DIALOG_INIT 240

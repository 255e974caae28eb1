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

// The control ids of the component's dialog templates: the add wizard's two pages, the edit
// dialog, the wait dialog and the report of files not added. The dialogs of every toolkit give
// their controls these ids, so that a control is the same one in the templates, in the code
// and in the tests that find it.
#pragma once

#include <cstdint>

namespace tq {

constexpr int32_t IDC_OK = 1;  // Next, Finish or OK: the dialog's own default button
constexpr int32_t IDC_CANCEL = 2;
constexpr int32_t IDC_ADD = 51;
constexpr int32_t IDC_REMOVE = 52;
constexpr int32_t IDC_UP = 53;
constexpr int32_t IDC_BACK = 54;
constexpr int32_t IDC_LOCATION = 1002;
constexpr int32_t IDC_TARGETS = 1007;
constexpr int32_t IDC_FILES = 1016;
constexpr int32_t IDC_APP_NAME = 1017;
constexpr int32_t IDC_NOT_ADDED_NAMES = 1017;  // the report's list, in a template of its own
constexpr int32_t IDC_APP_NAME_LABEL = 13001;
constexpr int32_t IDC_APP_NAME_INTRO = 13002;
constexpr int32_t IDC_LIST_VIEW = 14003;
constexpr int32_t IDC_DETAILS_VIEW = 14004;
constexpr int32_t IDC_WAIT_TEXT = 14006;
constexpr int32_t IDC_WARNING_ICON = 14008;
constexpr int32_t IDC_WAIT_PROGRESS = 14012;  // how far a job of many files has come

// The templates, and the icons of the picture buttons.
constexpr int32_t IDD_ADD_FILES = 102;
constexpr int32_t IDD_ADD_NAME = 133;
constexpr int32_t IDD_EDIT_APP = 13000;
constexpr int32_t IDD_WAIT = 14010;
constexpr int32_t IDD_NOT_ADDED = 14011;
constexpr int32_t IDI_UP = 13003;
constexpr int32_t IDI_UP_DISABLED = 13006;
constexpr int32_t IDI_LIST_VIEW = 14005;
constexpr int32_t IDI_DETAILS_VIEW = 14006;

}  // namespace tq

// The group ids of a save in flight. A save renumbers the groups when it writes the base control
// file, but can save their unique ids under the new numbers only once the control file has them
// too: until then the saved ids belong to the control file as it was. So the ids of the new
// numbers are put aside first, marked with the tree they belong to. A process that dies between
// the files leaves them for the next load, which takes them up when its base control file holds
// that tree, and saves them as the ids when the control file holds it as well.
#pragma once

#include <cstdint>
#include <string>

#include "controlfile/CtrlGroupSet.h"
#include "manager/ProductRegKey.h"

namespace tq {

// A mark of the group tree as numbered: every group's number, its parent's number and its name.
std::string GroupTreeMark(const CCtrlGroupSet& groups);

// Gives every group a unique id and puts the ids aside under the tree's mark (the groups must
// be numbered as the base control file will be). 0 or the registry's error.
int32_t PutAsidePendingGroupIds(CCtrlGroupSet& groups, CProductRegKey& key);

// When the ids put aside belong to this tree, the groups take them (the next unique id follows)
// and the result is true; otherwise nothing changes.
bool TakeUpPendingGroupIds(CCtrlGroupSet& groups, const CProductRegKey& key);

}  // namespace tq

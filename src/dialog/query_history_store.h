// QueryHistory in section "History" of the settings file.
#pragma once

#include "dialog/query_history.h"

class SettingsFile;

// Appends history0 to history19, skipping missing and empty values.
void LoadQueryHistory(QueryHistory& history, const SettingsFile& settings);

// Confirms a query: puts it in front, blanks later duplicates, saves the first
// 20 without gaps. Higher keys in the file are left as they are.
// Without a settings object (it could not be made) only the list changes.
void ConfirmQuery(QueryHistory& history, const std::string& query, SettingsFile* settings);

#pragma once
// The policy the program runs under, read once at its start (the wizard, "/auto", "/report",
// "/rules", the automatic cleaning), with every value it ignored written to the activity log.

#include <string>

#include "config/Policy.h"

// Reads the policy through lookup (the registry's by default) and adds one "_LogLogCategoryPolicy"
// entry naming each ignored value to the activity log in logDataFolder (DataFolders::LogDataFolder);
// nothing is written when every value set was taken.
Policy ReadProgramPolicy(const std::string& logDataFolder,
                         const PolicyLookup& lookup = RegistryPolicyLookup());

// Brings this user's automatic cleaning's task in line with the policy: registered with the
// policy's schedule and folders for programPath where it is forced on and the task differs, removed
// where the automatic cleaning is not allowed; nothing where the policy leaves it to the user.
// True when the task is as the policy asks (or the policy asks nothing). COM must be initialised.
bool EnforceAutomaticPolicy(const Policy& policy, const std::string& programPath);

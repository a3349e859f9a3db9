#pragma once
// The setup's step, run with the administrator's rights of the person who
// installs: a "This user" choice that person made with an earlier version is
// recorded for their SID under HKEY_LOCAL_MACHINE, where Tessara now looks for
// it (a user's own value alone no longer chooses the scope), so that the
// owner's own settings keep working after the upgrade.
namespace guard {

void recordInstallingUsersScope();

}  // namespace guard

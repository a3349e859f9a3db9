// The stored form of the master password over CNG.
#include "tests/shared/password_hash_cases.h"

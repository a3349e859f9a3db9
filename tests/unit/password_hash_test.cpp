// The stored form of the master password over OpenSSL.
#include "tests/shared/password_hash_cases.h"

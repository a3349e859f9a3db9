// The crypto interface over OpenSSL against published vectors.
#include "tests/shared/crypto_known_answers.h"

// The crypto interface over CNG against published vectors.
#include "tests/shared/crypto_known_answers.h"

#include "ConlangDictionary.h"

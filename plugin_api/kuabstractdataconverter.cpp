#include "kuabstractdataconverter.h"

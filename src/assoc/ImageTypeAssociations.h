#pragma once

#include "assoc/ModAssoc.h"
#include "platform/Prompts.h"

namespace lorvane {

// Makes the program the opener of every type of the table. The first time (the ProgID of the
// first row has no description yet) it registers and associates them all silently; later it
// lists the types another program has taken since and asks whether to take them back, and
// writes nothing when nothing is lost or the user answers No.
void AssociateImageTypes(ModAssoc& assoc, Prompts& prompts);

// Gives every type still associated with the program back to its former opener; types another
// program has taken since are left alone. The ProgID keys stay registered. Shows nothing.
void DeassociateImageTypes(ModAssoc& assoc);

}  // namespace lorvane

#include "game/kestro_game.h"

void CKestroGame::ComputePins(TwoBoardPosition&, int) const {}
void CKestroGame::ComputeAttackMaps(TwoBoardPosition&, int) const {}
int CKestroGame::IsSquareAttacked(const int32_t*, int, int) const { return 0; }

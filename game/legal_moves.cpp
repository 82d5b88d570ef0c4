#include "game/kestro_game.h"

void CKestroGame::GenerateLegalMoves(TwoBoardPosition&) {}
void CKestroGame::SetLegalMove(int, int, int, int, int, int, int) {}
std::string CKestroGame::LegalMovesText(const TwoBoardPosition&, int, int, int) { return {}; }
int CKestroGame::CountMovesFrom(int, int) const { return 0; }
int CKestroGame::CountMoves(int, int, int) const { return 0; }

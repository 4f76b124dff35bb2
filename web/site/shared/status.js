// The engines' status values as their entry points return them
// (web/engine/exports.cpp for the player, studio/web_api.cpp for the
// studio): the one place the pages read them.

// How a show's run ended: it did not run, played to its end, was stopped by
// a bound, or was refused by the player's start-up check.
export const ShowStatus = Object.freeze({ NotRun: 0, Played: 1, Stopped: 2, Corrupted: 3 });

// How a stroke ended in the studio: kept, nothing to end, or refused because
// it did not fit in what is left of the drawing.
export const StrokeEnd = Object.freeze({ Kept: 0, Empty: 1, Refused: 2 });

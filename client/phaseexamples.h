// The phase list beside the board: each phase's example text and its row in the list.
#pragma once

namespace phaseexamples {

// Index 1 to 10 is the phase; index 0 is unused.
inline constexpr const char *Texts[] = {"",
                                        "PH1: Two SETS of 3",
                                        "PH2: SET of 3 and RUN of 3",
                                        "PH3: SET of 4 and RUN of 4",
                                        "PH4: RUN of 7",
                                        "PH5: RUN of 8",
                                        "PH6: RUN of 9",
                                        "PH7: Two SETS of 4",
                                        "PH8: Seven of one COLOR",
                                        "PH9: SET of 5 and SET of 2",
                                        "PH10: SET of 5 and SET of 3"};
// Top of each phase's text inside the list.
inline constexpr int RowY[] = {0, 26, 43, 60, 78, 95, 112, 129, 147, 164, 181};

} // namespace phaseexamples

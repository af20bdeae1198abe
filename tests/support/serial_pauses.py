"""The pauses of a paced send, as the browser tests check them: the nominal
pause before each write (what serial-pacer.js's nominalGaps computes from the
same schedule), the pauses a fake port measured, and by how much each one
exceeded its nominal length (never below zero on a correct pacer)."""

WRITE, PAUSE = 0, 1  # a schedule step's kind (`pavlune-export --schedule`)


def nominal_gaps(steps):
    """The pauses between consecutive writes; a pause before the first write
    separates nothing and is left out."""
    gaps, pending = [], None
    for step in steps:
        if step[0] == WRITE:
            if pending is not None:
                gaps.append(pending)
            pending = 0
        elif step[0] == PAUSE and pending is not None:
            pending += step[1]
    return gaps


def arrival_gaps(times):
    """The pauses between consecutive arrival times."""
    return [later - earlier for earlier, later in zip(times, times[1:])]


def over_nominal(gaps, nominal):
    """Each measured pause minus its nominal length, pair by pair."""
    return [gap - expected for gap, expected in zip(gaps, nominal)]

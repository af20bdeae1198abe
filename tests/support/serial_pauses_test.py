#!/usr/bin/env python3
"""The browser tests judge every pause against serial_pauses' nominal ones:
a slip there would pass a pacer that sends too early, or fail a correct one."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from serial_pauses import PAUSE, WRITE, arrival_gaps, nominal_gaps, over_nominal  # noqa: E402


class NominalGaps(unittest.TestCase):
    def test_pauses_between_two_writes_add_up(self):
        # Catches `pending = step[1]` (the last pause only) for `+=`.
        steps = [[WRITE, 0x41], [PAUSE, 5.0], [PAUSE, 2.5], [WRITE, 0x42]]
        self.assertEqual(nominal_gaps(steps), [7.5])

    def test_a_pause_before_the_first_write_separates_nothing(self):
        # Catches starting with `pending = 0` instead of None.
        steps = [[PAUSE, 100.0], [WRITE, 0x41], [WRITE, 0x42]]
        self.assertEqual(nominal_gaps(steps), [0])

    def test_back_to_back_writes_have_no_pause(self):
        # Catches leaving `pending` unreset after a write.
        steps = [[WRITE, 1], [PAUSE, 3.0], [WRITE, 2], [WRITE, 3]]
        self.assertEqual(nominal_gaps(steps), [3.0, 0])

    def test_a_trailing_pause_is_no_gap(self):
        self.assertEqual(nominal_gaps([[WRITE, 1], [PAUSE, 9.0]]), [])


class OverNominal(unittest.TestCase):
    def test_arrivals_become_the_pauses_between_them(self):
        self.assertEqual(arrival_gaps([10.0, 12.0, 12.5]), [2.0, 0.5])

    def test_a_short_pause_comes_out_below_zero(self):
        # Catches the subtraction turned round, which would hide a short pause.
        self.assertEqual(over_nominal([2.0, 0.5], [1.0, 1.0]), [1.0, -0.5])

    def test_pauses_without_a_nominal_one_are_not_judged(self):
        self.assertEqual(over_nominal([2.0, 0.5, 9.0], [1.0]), [1.0])


if __name__ == "__main__":
    unittest.main()

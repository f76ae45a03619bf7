// The program's timer, made pausable for the page. On the desktop the
// animation runs until the window closes; a page must let the person reading
// it stop the motion (and stops it itself while its tab is hidden, where
// nobody sees it and the browser would slow the timer down anyway).
//
// Each armed timer is kept with its delay. While anything holds the ticks,
// none is running; when the last hold goes, each is armed again with its
// whole delay, so the next tick comes one period after play and prints the
// line that would have come next: no tick is lost and none is made up for.
//
// The page holds and releases the ticks with Module.holdTicks(reason, held),
// a reason being any name ('person', 'hidden'); the ticks run while no
// reason holds them.
//
// Checked against emscripten 3.1.6 (Debian 12), 3.1.69 (Debian 13) and 6.0.5
// (Debian testing): it reaches callUserCallback, which runs a callback of
// the program's as emscripten's own timers do, and makeDynCall, which calls
// a function of the program's by its table index.
mergeInto(LibraryManager.library, {
  $pausableTicks__deps: ['$callUserCallback'],
  $pausableTicks__postset: 'Module["holdTicks"] = function(reason, held) { pausableTicks.hold(reason, held); };',
  $pausableTicks: {
    holds: {},
    waiting: [],

    held: function() {
      return Object.keys(pausableTicks.holds).length > 0;
    },

    arm: function(timer) {
      timer.id = setTimeout(function() {
        pausableTicks.waiting.splice(pausableTicks.waiting.indexOf(timer), 1);
        callUserCallback(function() {
          {{{ makeDynCall('vi', 'timer.callback') }}}(timer.value);
        });
      }, timer.delay);
    },

    hold: function(reason, held) {
      var before = pausableTicks.held();
      if (held) {
        pausableTicks.holds[reason] = true;
      } else {
        delete pausableTicks.holds[reason];
      }
      var after = pausableTicks.held();
      if (after && !before) {
        pausableTicks.waiting.forEach(function(timer) { clearTimeout(timer.id); });
      } else if (before && !after) {
        pausableTicks.waiting.forEach(pausableTicks.arm);
      }
    },
  },

  pausableTimerFunc__deps: ['$pausableTicks'],
  pausableTimerFunc__sig: 'viii',
  pausableTimerFunc: function(milliseconds, callback, value) {
    var timer = { delay: milliseconds, callback: callback, value: value, id: 0 };
    pausableTicks.waiting.push(timer);
    if (!pausableTicks.held()) {
      pausableTicks.arm(timer);
    }
  },
});

'use strict';

// The second screen: the clock and the standings of the class being driven;
// between races it shows each class with results in turn.
(() => {
    const CYCLE_MS = 8000;
    let cycleIndex = 0;
    let cycleTimer = 0;
    let current = null;

    function shownClass(state) {
        if (state.race.state === 'running') return state.race.class;
        const classes = Live.classesWithResults();
        if (!classes.length) return 0;
        return classes[cycleIndex % classes.length].number;
    }

    // Large type, but every row must stay on the screen: the font shrinks
    // with the number of rows.
    function fitTable(box) {
        const table = box.querySelector('table');
        if (!table) return;
        const rows = table.rows.length;
        const available = window.innerHeight - box.getBoundingClientRect().top - 16;
        const size = Math.max(12, Math.min(44, Math.floor(available / (rows + 1.5) / 1.35)));
        table.style.fontSize = size + 'px';
    }

    function render(state) {
        current = state;
        const stateText = document.getElementById('race-state');
        stateText.textContent = Live.raceStateText(state.race);
        stateText.className = 'race-state ' + state.race.state;

        const content = document.getElementById('content');
        const number = shownClass(state);
        if (!number) {
            content.replaceChildren(Live.el('p', 'empty', 'Keine Ergebnisse'));
        } else {
            const view = Live.classView(number, 'h1');
            content.replaceChildren(view);
            fitTable(view);
        }
        scheduleCycle(state);
    }

    function scheduleCycle(state) {
        const cycling = state.race.state !== 'running' && Live.classesWithResults().length > 1;
        if (cycling && !cycleTimer) {
            cycleTimer = setInterval(() => {
                ++cycleIndex;
                render(current);
            }, CYCLE_MS);
        } else if (!cycling && cycleTimer) {
            clearInterval(cycleTimer);
            cycleTimer = 0;
        }
    }

    window.addEventListener('resize', () => current && render(current));
    Live.onChange(render);
    Live.start();
})();

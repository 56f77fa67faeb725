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

    // Large type, but every row must stay on the screen: the type shrinks
    // until the table ends above the screen's bottom edge.
    function fitTable(box) {
        const table = box.querySelector('table');
        if (!table) return;
        let size = 44;
        for (let i = 0; i < 4; ++i) {
            table.style.fontSize = size + 'px';
            const { top, bottom } = table.getBoundingClientRect();
            const limit = window.innerHeight - 8;
            if (bottom <= limit || size <= 12 || bottom <= top) break;
            size = Math.max(12, Math.floor(size * (limit - top) / (bottom - top)));
        }
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

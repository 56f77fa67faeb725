'use strict';

// Overview: the race the operator is taking times for, and the classes
// that have results.
(() => {
    const { el } = Live;

    function replace(id, children) {
        document.getElementById(id).replaceChildren(...children);
    }

    function classLink(number, label) {
        const a = el('a', '', label);
        a.href = '/klasse/' + number;
        return a;
    }

    function render(state) {
        const race = state.race;
        const stateText = document.getElementById('race-state');
        stateText.textContent = Live.raceStateText(race);
        stateText.className = 'race-state ' + race.state;

        const raceClass = document.getElementById('race-class');
        raceClass.replaceChildren('Klasse: ', classLink(race.class, Live.classTitle(race.class)));

        const numbers = race.startNumbers.filter((n) => n.trim() !== '');
        replace('start-numbers', numbers.length ? numbers.map((n) => el('li', 'start-number', n))
                                                : [el('li', 'none', '–')]);

        replace('times', race.times.length
            ? race.times.map((t) => {
                const li = el('li', t.start ? 'start' : '');
                li.append(el('span', 'time-n', t.n + '.'), el('span', 'time-text', t.text));
                if (t.start) li.append(el('span', 'time-flag', 'Start'));
                return li;
            })
            : [el('li', 'none', 'Noch keine Zeiten')]);

        const classes = Live.classesWithResults();
        replace('class-list', classes.length
            ? classes.map((c) => {
                const li = el('li');
                const a = classLink(c.number, '');
                a.append(el('span', 'class-number', String(c.number)), el('span', 'class-title', Live.classTitle(c.number)),
                         el('span', 'class-count', c.rows.length + ' Fahrer'));
                li.append(a);
                return li;
            })
            : [el('li', 'none', 'Keine Ergebnisse')]);
    }

    Live.onChange(render);
    Live.start();
})();

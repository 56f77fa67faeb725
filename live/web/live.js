'use strict';

// Shared by every page: the connection to the program, the state it keeps,
// the race clock and the table builder. Everything that arrives is checked
// and shown as text only: class names come from files the program reads.
const Live = (() => {
    const CLASS_COUNT = 21;
    const HIGHLIGHT_MS = 5000;
    const POLL_MS = 2000;
    const REQUEST_TIMEOUT_MS = 5000;
    const MAX_BACKOFF_MS = 5000;
    const MAX_MESSAGE_CHARS = 4 * 1024 * 1024;
    const MAX_ROWS = 1000;
    const MAX_CELLS = 20;
    const MAX_TEXT = 200;
    const DEFAULT_HEADINGS = ['Pl.', 'Nr.', 'START', '1.Runde', '2.Runde', '3.Runde', 'Beste R.', 'Abstand', 'Km/h'];
    const RACE_STATES = ['ready', 'running', 'ended'];

    let state = emptyState();
    let lastSeq = -Infinity;
    // The program's seq starts again at 0 when it restarts; the first state
    // of every new connection is taken whatever its seq, or the page would
    // ignore the restarted program for good.
    let acceptAnySeq = true;
    let raceSyncedAt = performance.now();
    let socket = null;
    let connected = false;
    let backoffMs = 1000;
    let pollTimer = 0;
    let polling = false;
    let pollInFlight = false;
    let highlightTimer = 0;
    const listeners = [];

    function emptyState() {
        return {
            seq: 0,
            headings: DEFAULT_HEADINGS.slice(),
            classNames: new Array(CLASS_COUNT).fill(''),
            race: { state: 'ready', elapsedMs: 0, class: 1, startNumbers: [], times: [] },
            classes: [],
        };
    }

    function text(value) {
        if (value === null || value === undefined) return '';
        const s = typeof value === 'string' ? value : String(value);
        return s.length > MAX_TEXT ? s.slice(0, MAX_TEXT) : s;
    }

    function list(value, max) {
        return Array.isArray(value) ? value.slice(0, max) : [];
    }

    function classNumber(value) {
        return Number.isInteger(value) && value >= 1 && value <= CLASS_COUNT ? value : 0;
    }

    function nonNegative(value) {
        return typeof value === 'number' && Number.isFinite(value) && value > 0 ? value : 0;
    }

    function normRace(r) {
        if (!r || typeof r !== 'object') return emptyState().race;
        return {
            state: RACE_STATES.includes(r.state) ? r.state : 'ready',
            elapsedMs: nonNegative(r.elapsedMs),
            class: classNumber(r.class) || 1,
            startNumbers: list(r.startNumbers, 50).map(text),
            times: list(r.times, MAX_ROWS).filter((t) => t && typeof t === 'object').map((t) => ({
                n: Number.isInteger(t.n) ? t.n : 0,
                text: text(t.text),
                start: t.start === true,
            })),
        };
    }

    function normClass(c, now) {
        if (!c || typeof c !== 'object' || !classNumber(c.number)) return null;
        const age = typeof c.changedAgeMs === 'number' && Number.isFinite(c.changedAgeMs) ? c.changedAgeMs : null;
        return {
            number: c.number,
            name: text(c.name),
            trackLength: nonNegative(c.trackLength),
            // The program says how long ago the change was; the mark stays
            // for what is left of the five seconds, counted on this device.
            changedUntil: age !== null && age < HIGHLIGHT_MS ? now + HIGHLIGHT_MS - Math.max(age, 0) : 0,
            rows: list(c.rows, MAX_ROWS).filter((row) => row && typeof row === 'object').map((row) => ({
                cells: list(row.cells, MAX_CELLS).map(text),
                changed: row.changed === true,
            })),
        };
    }

    function applyRace(race, now) {
        state.race = normRace(race);
        raceSyncedAt = now;
    }

    function putClass(c) {
        const others = state.classes.filter((k) => k.number !== c.number);
        others.push(c);
        others.sort((a, b) => a.number - b.number);
        state.classes = others;
    }

    function seqOf(message) {
        return typeof message.seq === 'number' && Number.isFinite(message.seq) ? message.seq : null;
    }

    // Returns whether anything shown changed.
    function apply(message, now) {
        if (!message || typeof message !== 'object') return false;
        const type = message.type === undefined ? 'state' : message.type;
        const seq = seqOf(message);
        if (type === 'clock') {
            // A clock tick carries no change of its own; it only re-syncs a
            // running race and must never restart one that has ended.
            if (state.race.state !== 'running' && (seq === null || seq < lastSeq)) return false;
            if (!RACE_STATES.includes(message.state)) return false;
            state.race.state = message.state;
            state.race.elapsedMs = nonNegative(message.elapsedMs);
            raceSyncedAt = now;
            return true;
        }
        if (seq === null) return false;
        if (seq < lastSeq && !(type === 'state' && acceptAnySeq)) return false;
        if (type === 'state') {
            acceptAnySeq = false;
            const headings = list(message.headings, MAX_CELLS).map(text);
            const names = list(message.classNames, CLASS_COUNT).map(text);
            while (names.length < CLASS_COUNT) names.push('');
            state = {
                seq,
                headings: headings.length ? headings : DEFAULT_HEADINGS.slice(),
                classNames: names,
                race: normRace(message.race),
                // Without its classes the state keeps those shown: the
                // server sends each class after it.
                classes: Array.isArray(message.classes) ? [] : state.classes,
            };
            raceSyncedAt = now;
            list(message.classes, CLASS_COUNT).forEach((c) => {
                const k = normClass(c, now);
                if (k) putClass(k);
            });
        } else if (type === 'race') {
            applyRace(message.race, now);
        } else if (type === 'class') {
            const k = normClass(message.class, now);
            if (!k) return false;
            putClass(k);
        } else {
            return false;
        }
        lastSeq = seq;
        state.seq = seq;
        return true;
    }

    function notify() {
        scheduleHighlightEnd();
        listeners.forEach((fn) => fn(state));
    }

    function receive(message) {
        if (apply(message, performance.now())) notify();
    }

    // Redraw once the newest highlight has run out, so the mark goes away
    // even when nothing else arrives.
    function scheduleHighlightEnd() {
        clearTimeout(highlightTimer);
        const now = performance.now();
        const next = state.classes.reduce((t, c) => (c.changedUntil > now ? Math.min(t, c.changedUntil) : t), Infinity);
        if (next !== Infinity) highlightTimer = setTimeout(notify, next - now + 20);
    }

    function setNotice(visible) {
        const notice = document.getElementById('notice');
        if (notice) notice.hidden = !visible;
    }

    function startPolling() {
        if (polling) return;
        polling = true;
        setNotice(true);
        poll();
    }

    function stopPolling() {
        polling = false;
        clearTimeout(pollTimer);
        setNotice(false);
    }

    function poll() {
        if (!polling || pollInFlight) return;
        pollInFlight = true;
        fetchState().finally(() => {
            pollInFlight = false;
            if (polling) pollTimer = setTimeout(poll, POLL_MS);
        });
    }

    function fetchState() {
        const abort = new AbortController();
        const timer = setTimeout(() => abort.abort(), REQUEST_TIMEOUT_MS);
        return fetch('/api/state', { cache: 'no-store', signal: abort.signal })
            .then((response) => (response.ok ? response.text() : Promise.reject(new Error(String(response.status)))))
            .then((body) => {
                // An answer that left before the socket came back may be
                // older than what the socket already brought.
                if (connected || body.length > MAX_MESSAGE_CHARS) return;
                const message = JSON.parse(body);
                if (message && typeof message === 'object') {
                    delete message.type;
                    // Polled answers come one after the other and are the
                    // newest there is while the socket is down.
                    acceptAnySeq = true;
                    receive(message);
                }
            })
            .catch(() => {})
            .finally(() => clearTimeout(timer));
    }

    function connect() {
        const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
        let ws;
        try {
            ws = new WebSocket(scheme + '//' + location.host + '/live');
        } catch (e) {
            reconnectLater();
            return;
        }
        socket = ws;
        // A connection that neither opens nor fails would leave the page
        // waiting without polling.
        const openTimer = setTimeout(() => ws.close(), REQUEST_TIMEOUT_MS);
        ws.onopen = () => {
            clearTimeout(openTimer);
            connected = true;
            acceptAnySeq = true;
            backoffMs = 1000;
            stopPolling();
        };
        ws.onmessage = (event) => {
            if (typeof event.data !== 'string' || event.data.length > MAX_MESSAGE_CHARS) return;
            let message;
            try {
                message = JSON.parse(event.data);
            } catch (e) {
                return;
            }
            receive(message);
        };
        ws.onclose = () => {
            clearTimeout(openTimer);
            if (socket !== ws) return;
            socket = null;
            connected = false;
            startPolling();
            reconnectLater();
        };
    }

    function reconnectLater() {
        setTimeout(connect, backoffMs);
        backoffMs = Math.min(backoffMs * 2, MAX_BACKOFF_MS);
    }

    function start() {
        connect();
        // The first picture should not wait for the socket.
        fetchState();
        requestAnimationFrame(tick);
    }

    // Race time as "m:ss,t", cut to the tenth as the program's own clocks do.
    function formatClock(ms) {
        const tenths = Math.floor(Math.max(0, ms) / 100);
        const minutes = Math.floor(tenths / 600);
        const seconds = Math.floor(tenths / 10) % 60;
        return minutes + ':' + String(seconds).padStart(2, '0') + ',' + (tenths % 10);
    }

    function raceMs(now) {
        const race = state.race;
        if (race.state === 'running') return race.elapsedMs + Math.max(0, now - raceSyncedAt);
        if (race.state === 'ended') return race.elapsedMs;
        return 0;
    }

    function tick() {
        const shown = formatClock(raceMs(performance.now()));
        document.querySelectorAll('.clock').forEach((clock) => {
            if (clock.textContent !== shown) clock.textContent = shown;
        });
        requestAnimationFrame(tick);
    }

    function el(tag, className, content) {
        const node = document.createElement(tag);
        if (className) node.className = className;
        if (content !== undefined) node.textContent = content;
        return node;
    }

    function classTitle(number) {
        const c = findClass(number);
        const name = c && c.name ? c.name : state.classNames[number - 1];
        return name || 'Klasse ' + number;
    }

    function findClass(number) {
        return state.classes.find((c) => c.number === number) || null;
    }

    function classesWithResults() {
        return state.classes.filter((c) => c.rows.length > 0);
    }

    function raceStateText(race) {
        return { ready: 'Bereit', running: 'Läuft', ended: 'Beendet' }[race.state];
    }

    // The class table as the program ranked it: rows and texts as given.
    function resultTable(c) {
        const table = el('table', 'results');
        const head = el('thead');
        const headRow = el('tr');
        state.headings.forEach((h, i) => headRow.appendChild(el('th', 'col' + i, h)));
        head.appendChild(headRow);
        table.appendChild(head);
        const body = el('tbody');
        const marked = c.changedUntil > performance.now();
        c.rows.forEach((row) => {
            const tr = el('tr', marked && row.changed ? 'changed' : '');
            for (let i = 0; i < Math.max(row.cells.length, state.headings.length); ++i)
                tr.appendChild(el('td', 'col' + i, row.cells[i] || ''));
            body.appendChild(tr);
        });
        table.appendChild(body);
        return table;
    }

    // A class without results shows its name and says so.
    function classView(number, headingTag) {
        const box = el('section', 'class-view');
        box.appendChild(el(headingTag, 'class-name', classTitle(number)));
        const c = findClass(number);
        if (c && c.rows.length) box.appendChild(resultTable(c));
        else box.appendChild(el('p', 'empty', 'Keine Ergebnisse'));
        return box;
    }

    function onChange(fn) {
        listeners.push(fn);
        fn(state);
    }

    return {
        start, onChange, formatClock, el, classTitle, findClass, classesWithResults,
        raceStateText, resultTable, classView, CLASS_COUNT,
        // For tests in a browser: feed messages without a server.
        receive,
    };
})();

'use strict';
// The fleet page: cards from /api/terminals, screenshots for the cards in
// view only, and actions sent with the session's CSRF token.

const FleetMs = 5000;
const ScreenMs = 3000;
const PendingMs = 700;
const StaleMs = 15000;
const PieceBytes = 4 * 1024 * 1024;

let csrf = '';
const cards = new Map(); // ip -> card element
const visible = new Set();

const observer = new IntersectionObserver(entries => {
  for (const entry of entries) {
    const ip = entry.target.dataset.ip;
    if (entry.isIntersecting) {
      if (!visible.has(ip)) { visible.add(ip); refreshScreen(entry.target); }
    } else {
      visible.delete(ip);
    }
  }
});

async function post(ip, action, body, type) {
  const headers = { 'X-CSRF-Token': csrf };
  if (type) headers['Content-Type'] = type;
  const response = await fetch(`/api/terminals/${ip}/${action}`, { method: 'POST', headers, body });
  const answer = await response.json().catch(() => ({}));
  if (!response.ok) throw new Error(answer.error || response.statusText);
  return answer;
}

function say(card, text) { card.querySelector('.message').textContent = text; }

async function act(card, action, question, body, type) {
  if (!confirm(question)) return;
  try {
    await post(card.dataset.ip, action, body, type);
    say(card, `${action}: sent`);
  } catch (error) {
    say(card, `${action}: ${error.message}`);
  }
}

// A picture the terminal has not renewed for a while says when it was taken.
function showAge(card, headers) {
  const taken = Date.parse(headers.get('Last-Modified'));
  const age = Date.parse(headers.get('Date')) - taken;
  card.querySelector('.age').textContent =
    age > StaleMs ? `screen of ${new Date(taken).toLocaleTimeString()}` : '';
}

async function refreshScreen(card) {
  clearTimeout(card.screenTimer);
  if (!visible.has(card.dataset.ip)) return;
  let wait = ScreenMs;
  try {
    const response = await fetch(`/api/terminals/${card.dataset.ip}/screen`);
    if (response.status === 200) {
      showAge(card, response.headers);
      const img = card.querySelector('.thumb');
      const old = img.src;
      img.src = URL.createObjectURL(await response.blob());
      if (old.startsWith('blob:')) URL.revokeObjectURL(old);
    } else if (response.status === 202) {
      wait = PendingMs;
    }
  } catch (error) { /* the next round tries again */ }
  card.screenTimer = setTimeout(() => refreshScreen(card), wait);
}

async function upload(card, file) {
  const ip = card.dataset.ip;
  for (let offset = 0; offset === 0 || offset < file.size; offset += PieceBytes) {
    const piece = file.slice(offset, offset + PieceBytes);
    say(card, `uploading: ${Math.round(100 * offset / Math.max(file.size, 1))} %`);
    await post(ip, `package?offset=${offset}&name=${encodeURIComponent(file.name)}`, piece,
               'application/octet-stream');
  }
  await post(ip, 'update');
  for (;;) {
    const state = await (await fetch(`/api/terminals/${ip}/update`)).json();
    say(card, `update: ${state.state} ${state.message || ''}`);
    if (state.state !== 'running') return;
    await new Promise(resolve => setTimeout(resolve, 2000));
  }
}

function makeCard(terminal) {
  const card = document.getElementById('card').content.firstElementChild.cloneNode(true);
  card.dataset.ip = terminal.ip;
  const name = () => card.querySelector('.host').textContent;
  card.querySelector('.reboot').addEventListener('click', () =>
    act(card, 'reboot', `Reboot ${name()} (${terminal.ip})?`));
  card.querySelector('.shutdown').addEventListener('click', () =>
    act(card, 'shutdown', `Power off ${name()} (${terminal.ip})?`));
  const rdp = card.querySelector('form.rdp');
  card.querySelector('.rdp-open').addEventListener('click', () => { rdp.hidden = !rdp.hidden; });
  rdp.addEventListener('submit', event => {
    event.preventDefault();
    const fields = { server: rdp.server.value, port: rdp.port.value, user: rdp.user.value };
    if (rdp.password.value !== '') fields.password = rdp.password.value;
    act(card, 'rdp', `Send the remote-desktop settings to ${name()} (${terminal.ip})?`,
        JSON.stringify(fields), 'application/json');
  });
  const update = card.querySelector('form.update');
  card.querySelector('.update-open').addEventListener('click', () => { update.hidden = !update.hidden; });
  update.addEventListener('submit', event => {
    event.preventDefault();
    const file = update.package.files[0];
    if (!file || !confirm(`Install ${file.name} on ${name()} (${terminal.ip})?`)) return;
    upload(card, file).catch(error => say(card, `update: ${error.message}`));
  });
  rdp.server.value = terminal.RDP_IP;
  rdp.port.value = terminal.RDP_PORT;
  rdp.user.value = terminal.RDP_USER;
  observer.observe(card);
  return card;
}

function fill(card, terminal) {
  card.querySelector('.host').textContent = terminal.hostName || '(no name)';
  card.querySelector('.address').textContent = `${terminal.ip}  ${terminal.mac}`;
  card.querySelector('.id').textContent = `id ${terminal.id}, ${terminal.model}`;
  card.querySelector('.version').textContent = `version ${terminal.version}`;
  const status = card.querySelector('.status');
  status.textContent = terminal.online ? 'online'
    : `last seen ${new Date(terminal.lastSeen).toLocaleString()}`;
  status.className = `status ${terminal.online ? 'online' : 'offline'}`;
}

async function refreshFleet() {
  try {
    const response = await fetch('/api/terminals');
    if (response.status === 401) { location.href = '/login'; return; }
    const terminals = await response.json();
    const fleet = document.getElementById('fleet');
    for (const terminal of terminals) {
      let card = cards.get(terminal.ip);
      if (!card) {
        card = makeCard(terminal);
        cards.set(terminal.ip, card);
        fleet.appendChild(card);
      }
      fill(card, terminal);
    }
    const online = terminals.filter(t => t.online).length;
    document.getElementById('summary').textContent = `${terminals.length} terminals, ${online} online`;
  } catch (error) { /* the next round tries again */ }
  setTimeout(refreshFleet, FleetMs);
}

async function start() {
  const response = await fetch('/api/session');
  if (!response.ok) { location.href = '/login'; return; }
  csrf = (await response.json()).csrf;
  refreshFleet();
}

start();

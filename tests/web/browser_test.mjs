// Drives Debian's Chromium through the web view: log in, a wrong password,
// who is at work, a person's month and day, the timesheet and its CSV,
// logout, a manager's view of one department, English; a screenshot of each
// page at desktop and phone width. Exits non-zero at the first failure.
//   node browser_test.mjs URL SHOTS WORK YEAR MONTH
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [url, shots, work, year, month] = process.argv.slice(2);
const sizes = { desktop: { width: 1366, height: 768 }, phone: { width: 390, height: 844, isMobile: true, hasTouch: true } };

function check(ok, what) {
  if (!ok) throw new Error(what);
}

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: fs.mkdtempSync(path.join(work, 'chromium-')),
  args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(String(e)));
  page.on('dialog', async (d) => { problems.push('dialog: ' + d.message()); await d.dismiss(); });
  // Refused wrong passwords and pages not found are meant; anything else
  // the console reports (a refused style sheet, a policy broken) is not.
  page.on('console', (m) => {
    if (m.type() === 'error' && !m.text().startsWith('Failed to load resource: the server responded with a status of 40'))
      problems.push('console: ' + m.text());
  });
  await page.setExtraHTTPHeaders({ 'Accept-Language': 'ru-RU,ru;q=0.9,en;q=0.5' });
  await page.setViewport(sizes.desktop);

  const text = () => page.$eval('body', (b) => b.innerText);
  const shoot = async (name) => {
    for (const [size, viewport] of Object.entries(sizes)) {
      await page.setViewport(viewport);
      await page.screenshot({ path: path.join(shots, `${name}-${size}.png`), fullPage: true });
    }
    await page.setViewport(sizes.desktop);
  };
  const logIn = async (name, password) => {
    await page.goto(url + '/login');
    await page.type('#name', name);
    await page.type('#password', password);
    await Promise.all([page.waitForNavigation(), page.click('button[type=submit]')]);
  };

  // Without a session: the login page.
  await page.goto(url + '/');
  check(new URL(page.url()).pathname === '/login', 'not sent to the login page: ' + page.url());
  await shoot('login');
  await logIn('boss', 'wrong');
  check((await text()).includes('Неверное имя или пароль'), 'a wrong password was not refused');
  await shoot('login-refused');

  // Who is at work.
  await logIn('boss', 'viewer pass');
  check(new URL(page.url()).pathname === '/', 'not at the start page after logging in');
  let body = await text();
  check(body.includes('Сейчас на работе') && body.includes('Петров Пётр'), 'who is at work: ' + body);
  check(body.includes('на работе с'), 'nobody at work now');
  // The hostile name is text: no element of it, the escapes visible.
  check(body.includes("<script>alert('x')</script>") && body.includes('\\x1B[2J'), 'hostile name not shown as text');
  check(await page.$$eval('script, img', (e) => e.length) === 0, 'an element came from the data');
  check(await page.$eval('meta[http-equiv=refresh]', (m) => m.content) === '30', 'no refresh');
  await shoot('at-work');

  // People, a person's month, a day's timeline.
  await page.goto(url + '/people?q=' + encodeURIComponent('петр'));
  body = await text();
  check(body.includes('Петров Пётр') && !body.includes('Сидорова'), 'search by name: ' + body);
  await page.goto(url + '/people?q=SMITH');
  check((await text()).includes('Smith John'), 'search by login');
  await shoot('people');
  await Promise.all([page.waitForNavigation(), page.click('main a[href^="/person"]')]);
  body = await text();
  check(body.includes('Итого, дней'), 'a person\'s month: ' + body);
  await shoot('person-month');
  await Promise.all([page.waitForNavigation(), page.click('main td a[href^="/day"]')]);
  check(await page.$$eval('svg rect', (r) => r.length) >= 3, 'no timeline bars');
  await shoot('person-day');

  // The timesheet and its CSV, downloaded.
  await page.goto(`${url}/timesheet?year=${year}&month=${month}`);
  body = await text();
  check(body.includes('Итого') && body.includes('Smith John'), 'the timesheet: ' + body);
  await shoot('timesheet');
  const downloads = fs.mkdtempSync(path.join(work, 'downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.click('a[href^="/timesheet.csv"]');
  let csv = '';
  for (let i = 0; i < 100 && !csv; ++i) {
    await new Promise((r) => setTimeout(r, 100));
    const done = fs.readdirSync(downloads).filter((f) => f.endsWith('.csv'));
    if (done.length) csv = fs.readFileSync(path.join(downloads, done[0]), 'utf8');
  }
  check(csv.startsWith('\ufeffLogin,ФИО,1,2,') && csv.includes('petrov,Петров Пётр'), 'the CSV: ' + csv);
  // The PDF, as the browser's session fetches it.
  const session = (await page.cookies()).map((c) => `${c.name}=${c.value}`).join('; ');
  const pdf = await fetch(`${url}/timesheet.pdf?year=${year}&month=${month}`, { headers: { Cookie: session } });
  check(pdf.headers.get('content-type') === 'application/pdf' &&
        Buffer.from(await pdf.arrayBuffer()).subarray(0, 5).toString() === '%PDF-', 'the PDF');
  await page.goto(url + '/collection');
  check((await text()).includes(path.join(work, 'folder-1')), 'the collected folder is not shown');
  await shoot('collection');

  // Logout: the session is gone.
  await Promise.all([page.waitForNavigation(), page.click('header button[type=submit]')]);
  await page.goto(url + '/timesheet');
  check(new URL(page.url()).pathname === '/login', 'still logged in after logout');

  // A manager sees the department only, everywhere.
  await logIn('anna', 'manager pass');
  body = await text();
  check(body.includes('Петров Пётр') && !body.includes('Smith'), 'manager at work: ' + body);
  await page.goto(`${url}/timesheet?year=${year}&month=${month}&department=Plant`);
  body = await text();
  check(body.includes('Сидорова Анна') && !body.includes('Smith'), 'manager timesheet: ' + body);
  await shoot('manager-timesheet');
  let response = await page.goto(url + '/person?login=smith');
  check(response.status() === 404, 'manager saw another department\'s person');
  response = await page.goto(url + '/people?q=smith');
  check(!(await text()).includes('Smith'), 'manager found another department\'s person');
  response = await page.goto(url + '/collection');
  check(response.status() === 404, 'manager saw the folders');

  // English, as the browser asks.
  await page.setExtraHTTPHeaders({ 'Accept-Language': 'en-GB,en;q=0.9' });
  await page.goto(url + '/');
  check((await text()).includes('At work now'), 'no English');
  await shoot('manager-at-work-en');

  check(problems.length === 0, 'the browser reported: ' + problems.join('; '));
  console.log('browser test passed; screenshots in ' + shots);
} finally {
  await browser.close();
}
